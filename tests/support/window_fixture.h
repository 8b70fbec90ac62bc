// In-process window tests: the real start-up against the simulated device, linked as COM1 in
// a fresh working folder, on Qt's offscreen platform; files of the working folder, what a
// panel shows, and the keys and clicks a user gives.
#pragma once

#include "app/layout.h"
#include "app/main_loop.h"
#include "link/serial_port.h"
#include "shell/pages.h"
#include "shell/program_state.h"
#include "tests/support/sim_driver.h"
#include "ui/drawing_kit.h"
#include "ui/simple_graphics.h"
#include "ui/watched_lists.h"
#include "ui/window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class WindowTest : public ::testing::Test {
protected:
    // Starts the device as COM1 and the program in the device's folder.
    void SetUp() override;
    void TearDown() override;

    // The start-up every window test uses: `working` becomes the working folder, the slot of
    // COM1 lets go of the port of an earlier test's device, and the program starts as the
    // user starts it.
    void start_in(const std::string& working);
    // Ends the program and starts it again in the same folder, over the files placed there.
    void restart_program();

    // The command codes recorded by the device so far, in order.
    std::vector<int> recorded_codes() const;
    // Waits until the device recorded `count` frames; returns them.
    std::vector<RecordedFrame> frames_after(std::size_t count) const;

    // Runs main loop passes until `done` holds or about `timeout_ms` passed.
    template <typename Condition> bool run_passes_until(Condition done, int timeout_ms = 5000);

    // Selects slot `slot` of the mode list as a click on a tab does (the list first gains
    // the focus) and lets the loop look at the lists.
    void click_tab_slot(int slot);
    // Opens the page of tab slot `tab_slot` and connects the device with the Connect button.
    void connect_on_page(int tab_slot);

    // The same start in the working folder as it is, after exit_sequence.
    void start_here();

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

    SimulatedDevice device;
    std::unique_ptr<WorkingFolder> folder;
};

// Files of the working folder.
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

// The colour of pixel (x, y) of a panel's image as 0x00BBGGRR, or -1 without an image.
long panel_pixel(const ClassSimpleGraphics* panel, int x, int y);
// Whether any pixel of the panel's image has `colour`.
bool panel_shows_colour(const ClassSimpleGraphics* panel, Colour colour);

template <typename Condition> bool WindowTest::run_passes_until(Condition done, int timeout_ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout_ms)
            return false;
        // A timer bounds each sleeping pass, so that a missing byte cannot hang the test.
        QTimer::singleShot(200, [] {});
        if (!main_loop_pass(true))
            return done();
    }
    return true;
}
