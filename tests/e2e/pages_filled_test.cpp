// The ANALYSIS and SESSION RESULTS pages of the real ornivex_control on a virtual X server: a
// memory dump and a session result from the device become files and lines that the window
// shows. What is shown is read from a capture of the window (xwd).
#include "analysis/session_results.h"
#include "files/folder_files.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/window_capture.h"
#include "tests/support/sim_driver.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr int tab_y = 55;
constexpr int results_tab_x = 28 + 2 * 120 + 60;
constexpr int new_res_x = 15 + 75, new_res_y = 80 + 11;

struct Area {
    int x, y, width, height;
};
// The first rows of the analysis list (15, 130) and of the results list (300, 130), inside
// their frames.
constexpr Area first_analysis_row{20, 132, 960, 16};
constexpr Area first_results_row{305, 132, 670, 16};

// Pixels of `area` that are neither the list's white nor the grey of the grid lines: the text
// of a row, or its selection.
int ink_in(const WindowCapture& capture, const Area& area) {
    int ink = 0;
    for (int y = area.y; y < area.y + area.height; ++y) {
        for (int x = area.x; x < area.x + area.width; ++x) {
            const std::uint32_t pixel = capture.at(x, y);
            ink += pixel != 0xFFFFFF && pixel != 0x969696 && pixel != 0xFFFFFFFF ? 1 : 0;
        }
    }
    return ink;
}

} // namespace

class PagesFilled : public ControlOnVirtualScreen {
protected:
    WindowCapture capture() { return capture_window(xwd, display, window, folder + "/window.xwd"); }

    std::string folder;
};

TEST_F(PagesFilled, ADumpAndASessionResultFillBothPages) {
    SimulatedDevice device;
    ASSERT_EQ(device.start(1), 1) << "varden_sim did not start";
    folder = device.folder();
    ASSERT_NO_FATAL_FAILURE(start_screen());
    ASSERT_NO_FATAL_FAILURE(start_control(folder));

    const WindowCapture empty_analysis = capture();
    ASSERT_GT(empty_analysis.width, 0) << "no capture of the window";
    EXPECT_EQ(ink_in(empty_analysis, first_analysis_row), 0);
    ASSERT_EQ(device.command("send-dump kind=0 side=0 name=USD ext=OLD denomination=100 uvl=7 "
                             "group=0:11,22,33,44"),
              1);
    ASSERT_TRUE(wait_until([&] { return file_exists(path_in(folder, "1.ram")) == 1; }, 5s))
        << "the dump was not stored";
    std::this_thread::sleep_for(300ms);
    EXPECT_GT(ink_in(capture(), first_analysis_row), 50) << "no analysis line is shown";

    click(results_tab_x, tab_y);
    click(new_res_x, new_res_y);
    run_for_output({xdotool, "type", "--delay", "50", "road"}, display);
    run_for_output({xdotool, "key", "Return"}, display);
    const std::string results = path_in(folder, "road.res");
    ASSERT_TRUE(wait_until([&] { return file_exists(results) == 1; }, 5s))
        << "New RES file created nothing";
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(ink_in(capture(), first_results_row), 0);

    ASSERT_EQ(device.command("send-result 12 USD:3:300 USD:2:200 EUR:1:50"), 1);
    std::string text;
    ASSERT_TRUE(
        wait_until([&] { return read_text_file(results, text) == 1 && text.size() == 4 * 65; }, 5s))
        << "road.res holds: " << text;
    EXPECT_EQ(text.substr(65), denomination_line(100, 5, 500) + "\r\n" +
                                   currency_line("EUR", 1, 50) + "\r\n" +
                                   denomination_line(50, 1, 50) + "\r\n");
    std::this_thread::sleep_for(300ms);
    EXPECT_GT(ink_in(capture(), first_results_row), 50) << "no result line is shown";
}
