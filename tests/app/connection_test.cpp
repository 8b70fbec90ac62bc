#include "link/commands.h"
#include "shell/connection.h"
#include "shell/status_line.h"
#include "tests/support/window_fixture.h"

#include <QPushButton>
#include <csignal>
#include <thread>

namespace {

const Colour lamp_on = rgb(0, 128, 0);
const Colour lamp_off = rgb(200, 0, 0);

void press_connect_button() {
    static_cast<QPushButton*>(shared.connect_push_button->window)->click();
}

long lamp_centre(const ClassSimpleGraphics* lamp) {
    return panel_pixel(lamp, 8, 8);
}

} // namespace

TEST_F(WindowTest, ConnectThenDisconnect) {
    EXPECT_EQ(lamp_centre(shared.connection_indicator), static_cast<long>(lamp_off));
    EXPECT_TRUE(equals(shared.connect_push_button->label, "Connect"));

    press_connect_button();
    const auto frames = frames_after(2);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].code, 12);
    EXPECT_EQ(frames[0].length, 0);
    // The device learns the page that is shown: ANALYSIS.
    EXPECT_EQ(frames[1].code, 9);
    EXPECT_EQ(frames[1].payload, (std::vector<std::uint8_t>{1, 0}));
    EXPECT_EQ(connected, 1);
    EXPECT_TRUE(equals(shared.connect_push_button->label, "Disconnect"));
    EXPECT_EQ(lamp_centre(shared.connection_indicator), static_cast<long>(lamp_on));
    // A successful connect clears the status line.
    EXPECT_FALSE(panel_shows_colour(shared.status_message_panel, colour_error));
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_status_back));

    press_connect_button();
    ASSERT_EQ(frames_after(3).size(), 3u);
    EXPECT_EQ(recorded_codes(), (std::vector<int>{12, 9, 13}));
    EXPECT_EQ(connected, 0);
    EXPECT_TRUE(equals(shared.connect_push_button->label, "Connect"));
    EXPECT_EQ(lamp_centre(shared.connection_indicator), static_cast<long>(lamp_off));
}

TEST_F(WindowTest, RefusedConnectShowsTheDeviceErrorAndChangesNothing) {
    ASSERT_EQ(device.command("result 12 4"), 1);
    connect_button();
    EXPECT_EQ(recorded_codes(), (std::vector<int>{12, 12, 12}));
    EXPECT_EQ(connected, 0);
    EXPECT_TRUE(equals(shared.connect_push_button->label, "Connect"));
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_error));
    EXPECT_EQ(status_text().str(), "COM-bufer of ZELK is full");
}

TEST_F(WindowTest, NoDeviceGivesErrorConnectionAndTheWindowGoesOn) {
    // The port goes away: every try waits for an acknowledgement that cannot come.
    close_current_port();
    connect_button();
    EXPECT_EQ(connected, 0);
    EXPECT_TRUE(equals(shared.connect_push_button->label, "Connect"));
    EXPECT_EQ(lamp_centre(shared.connection_indicator), static_cast<long>(lamp_off));
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_error));
    EXPECT_EQ(status_text().str(), "Error connection");
    EXPECT_TRUE(device.frames().empty());

    // Choosing COM1 in the box opens the port again, and the window still works.
    shared.com_port_box->select_index(0);
    main_window->dispatch_command(command_word(shared.com_port_box->id, notify_combo_selected), 0);
    EXPECT_EQ(chosen_port_number, 1);
    EXPECT_GE(current_port_descriptor(), 0);
    connect_button();
    EXPECT_EQ(connected, 1);
    EXPECT_FALSE(panel_shows_colour(shared.status_message_panel, colour_error));
}

TEST_F(WindowTest, ChoosingAMissingPortSaysNothingAndLaterCommandsFail) {
    // COM30 is /dev/ttyACM9 here, which no test machine has.
    shared.com_port_box->select_index(29);
    main_window->dispatch_command(command_word(shared.com_port_box->id, notify_combo_selected), 0);
    EXPECT_EQ(chosen_port_number, 30);
    EXPECT_FALSE(panel_shows_colour(shared.status_message_panel, colour_error));
    EXPECT_EQ(current_port_descriptor(), -1);
    EXPECT_EQ(send_command(12), -1);
    EXPECT_TRUE(device.frames().empty());
}

TEST_F(WindowTest, DeviceEndingTheConnectedStateDisconnects) {
    connect_button();
    ASSERT_EQ(connected, 1);
    ASSERT_EQ(device.command("end-connected"), 1);
    // The idle loop wakes on the first byte and reads the 7-byte message.
    EXPECT_TRUE(run_passes_until([] { return connected == 0; }));
    EXPECT_TRUE(equals(shared.connect_push_button->label, "Connect"));
    EXPECT_EQ(lamp_centre(shared.connection_indicator), static_cast<long>(lamp_off));
    // Nothing is sent in reply on the ANALYSIS page.
    EXPECT_EQ(recorded_codes(), (std::vector<int>{12, 9}));
}

// A message ends when the line is silent for 100 ms: seven bytes 80 ms apart are the message
// that ends the connected state, seven bytes 130 ms apart are seven stray bytes.
TEST_F(WindowTest, BytesOfAMessageMayBeUpToATenthOfASecondApart) {
    connect_button();
    ASSERT_EQ(connected, 1);
    for (const int gap_ms : {130, 80}) {
        ASSERT_EQ(device.command("gap " + std::to_string(gap_ms)), 1);
        std::thread device_sends([this] { device.command("end-connected"); });
        run_passes_until([] { return connected == 0; }, 1500);
        device_sends.join();
        EXPECT_EQ(connected, gap_ms < 100 ? 0 : 1) << gap_ms << " ms apart";
    }
}

// The device goes away and comes back behind the same link: the status line names the port in
// red, then in green; connected, the program connects again as the Connect button does.
TEST_F(WindowTest, APortWhoseDeviceWentAwayIsClosedAndTakenUpWhenItIsBack) {
    for (const int was_connected : {0, 1}) {
        if (was_connected)
            connect_button();
        ASSERT_EQ(connected, was_connected);
        ASSERT_GE(current_port_descriptor(), 0);
        ASSERT_GT(device.end_with_signal(SIGKILL), 0);
        // The idle loop must not keep waking for a line that only reports its hang-up.
        EXPECT_TRUE(run_passes_until([] { return current_port_descriptor() == -1; }));
        EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_error));
        EXPECT_EQ(status_text().str(), "Port COM1 went away");
        if (!was_connected) {
            connect_button();
            EXPECT_EQ(status_text().str(), "Error connection");
        }
        ASSERT_EQ(device.start(1), 1);
        EXPECT_TRUE(run_passes_until([] { return current_port_descriptor() >= 0; }));
        EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_info));
        EXPECT_EQ(status_text().str(), "Port COM1 is back");
        EXPECT_EQ(recorded_codes(), was_connected ? (std::vector<int>{12, 9}) : std::vector<int>{});
        EXPECT_EQ(connected, was_connected);
        EXPECT_TRUE(
            equals(shared.connect_push_button->label, was_connected ? "Disconnect" : "Connect"));
    }
}
