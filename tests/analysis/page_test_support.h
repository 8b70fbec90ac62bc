// Shared by the window tests of the ANALYSIS and SESSION RESULTS pages: a restart in the same
// folder (for start-up with files placed beforehand), files of the working folder, what a
// panel shows, and the keys and clicks a user gives.
#pragma once

#include "tests/app/window_fixture.h"

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

class PageTest : public WindowTest {
protected:
    // Lets the device send a script line's message and runs the loop until `done` holds. The
    // device waits for the line to take the message, so it is driven from a thread of its own
    // while the loop reads.
    template <typename Condition> bool device_sends(const std::string& line, Condition done) {
        int answer = 0;
        std::thread script([&] { answer = device.command(line, 10000); });
        const bool handled = run_passes_until(done, 10000);
        script.join();
        return answer == 1 && handled;
    }
    std::string path(const std::string& name) const { return device.folder() + "/" + name; }
};

void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes);
void write_file(const std::string& path, const std::string& text);
std::vector<std::uint8_t> file_bytes(const std::string& path);
std::string file_text(const std::string& path);
bool file_present(const std::string& path);

// Whether `panel` shows exactly `text` in `text_colour` on `back_colour`: it is compared with
// a panel of the same size and font drawn with that text.
bool panel_shows_text(const ClassSimpleGraphics* panel, const TextString& text, Colour text_colour,
                      Colour back_colour);
bool status_shows_error(const TextString& text);

void press_key(int qt_key);
void click_button(const ClassControl* button);
bool visible(const ClassControl* control);
