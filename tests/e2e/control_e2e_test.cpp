// The real ornivex_control on a virtual X server: a click on "Connect" at its place in the
// window must reach the simulated device as command 12 and the mode frame of the ANALYSIS
// page.
#include "tests/e2e/e2e_support.h"
#include "tests/support/sim_driver.h"

namespace {

// Where "Connect" lies in the client area: (390, 8), 120 x 24.
constexpr int connect_x = 390 + 60;
constexpr int connect_y = 8 + 12;

} // namespace

TEST_F(ControlOnVirtualScreen, ClickOnConnectConnectsTheDevice) {
    const std::string xvfb = find_program("Xvfb");
    const std::string xdotool = find_program("xdotool");
    ASSERT_FALSE(xvfb.empty()) << "Xvfb is not installed (Debian package xvfb)";
    ASSERT_FALSE(xdotool.empty()) << "xdotool is not installed (Debian package xdotool)";
    ASSERT_TRUE(exists(ORNIVEX_CONTROL)) << ORNIVEX_CONTROL << " is not built";

    SimulatedDevice device;
    ASSERT_EQ(device.start(1), 1) << "varden_sim did not start";
    const std::string display = start_virtual_screen(xvfb);
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";

    control_pid = spawn({ORNIVEX_CONTROL}, device.folder(), display, false);
    ASSERT_GT(control_pid, 0);
    const std::string window = wait_for_window(xdotool, display);
    ASSERT_FALSE(window.empty()) << "the window did not appear";

    click_at(xdotool, display, window, connect_x, connect_y);
    const std::vector<RecordedFrame> frames = device.wait_for_frames(2, 5000);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].code, 12);
    EXPECT_EQ(frames[1].code, 9);
    EXPECT_EQ(frames[1].payload, (std::vector<std::uint8_t>{1, 0}));
}
