// The real ornivex_control on a virtual X server: a click on "Connect" at its place in the
// window must reach the simulated device as command 12 and the mode frame of the ANALYSIS
// page.
#include "tests/e2e/e2e_support.h"
#include "tests/support/sim_driver.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// Where "Connect" lies in the client area: (390, 8), 120 x 24.
constexpr int connect_x = 390 + 60;
constexpr int connect_y = 8 + 12;

} // namespace

TEST_F(ControlOnVirtualScreen, ClickOnConnectConnectsTheDevice) {
    SimulatedDevice device;
    ASSERT_EQ(device.start(1), 1) << "varden_sim did not start";
    ASSERT_NO_FATAL_FAILURE(start_screen());
    ASSERT_NO_FATAL_FAILURE(start_control(device.folder()));

    click(connect_x, connect_y);
    const std::vector<RecordedFrame> frames = device.wait_for_frames(2, 5000);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].code, 12);
    EXPECT_EQ(frames[1].code, 9);
    EXPECT_EQ(frames[1].payload, (std::vector<std::uint8_t>{1, 0}));
}

// The device ends and starts again behind the same COM1 link, as an adapter unplugged and
// plugged in again: the program takes the port up again without a click, and when it was
// connected it sends the Connect button's frames again.
TEST_F(ControlOnVirtualScreen, ADeviceStartedAgainIsTakenUpWithoutAClick) {
    SimulatedDevice device;
    ASSERT_EQ(device.start(1), 1);
    ASSERT_NO_FATAL_FAILURE(start_screen());
    ASSERT_NO_FATAL_FAILURE(start_control(device.folder()));
    ASSERT_EQ(device.stop(), 0);
    ASSERT_EQ(device.start(1), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    click(connect_x, connect_y);
    ASSERT_EQ(device.wait_for_frames(2, 5000).size(), 2u) << "the port was not taken up";

    ASSERT_EQ(device.stop(), 0);
    ASSERT_EQ(device.start(1), 1);
    const std::vector<RecordedFrame> frames = device.wait_for_frames(2, 5000);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].code, 12);
    EXPECT_EQ(frames[1].code, 9);
}

// Another program has COM1 open in its own line mode: the program neither takes it nor
// changes it, and the other program can open it again, while the program runs and after.
TEST_F(ControlOnVirtualScreen, APortAnotherProgramHoldsIsLeftAsItIs) {
    SimulatedDevice device;
    ASSERT_EQ(device.start(1), 1);
    const int other = ::open(device.link_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    termios found{};
    ASSERT_EQ(::tcgetattr(other, &found), 0);
    found.c_lflag |= ECHO | ICANON;
    found.c_oflag |= OPOST;
    ASSERT_EQ(::tcsetattr(other, TCSANOW, &found), 0);
    const auto left_alone = [&](const char* when) {
        termios now{};
        ASSERT_EQ(::tcgetattr(other, &now), 0);
        EXPECT_EQ(now.c_lflag, found.c_lflag) << when;
        EXPECT_EQ(now.c_oflag, found.c_oflag) << when;
        const int again = ::open(device.link_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_GE(again, 0) << when << ": " << std::strerror(errno);
        if (again >= 0)
            ::close(again);
    };
    ASSERT_NO_FATAL_FAILURE(start_screen());
    ASSERT_NO_FATAL_FAILURE(start_control(device.folder()));
    click(connect_x, connect_y);
    EXPECT_TRUE(device.wait_for_frames(1, 4000).empty()) << "the port in use was taken";
    left_alone("while the program runs");
    ASSERT_EQ(end_process(control_pid), 0);
    control_pid = -1;
    left_alone("after the program ended");
    ::close(other);
}
