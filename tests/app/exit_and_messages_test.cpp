#include "shell/connection.h"
#include "shell/status_line.h"
#include "tests/support/window_fixture.h"
#include "traffic/message_reader.h"

#include <fstream>
#include <future>

namespace {

void close_window() {
    main_window->window->close();
}

// Waits for the first byte of a message, as the main loop's poll would find it.
void await_first_byte() {
    last_byte = read_byte_within(2000);
}

} // namespace

TEST_F(WindowTest, ClosingTheWindowLeavesTheDeviceStates) {
    close_window();
    EXPECT_EQ(main_loop(), 0);
    EXPECT_EQ(main_window, nullptr);
    // Also when nothing was connected: disconnect, then stop sampling.
    ASSERT_EQ(frames_after(2).size(), 2u);
    EXPECT_EQ(recorded_codes(), (std::vector<int>{13, 2}));
}

TEST_F(WindowTest, ClosingOnTheSamplingPageStopsSamplingBeforeTheLastStop) {
    click_tab_slot(4);
    connect_button();
    close_window();
    EXPECT_EQ(main_loop(), 0);
    // 13 first, then the disconnect handling's stop, then the final stop.
    ASSERT_EQ(frames_after(6).size(), 6u);
    EXPECT_EQ(recorded_codes(), (std::vector<int>{9, 12, 9, 13, 2, 2}));
}

TEST_F(WindowTest, AMessageLongerThanTheBufferIsCut) {
    const std::string data = device.folder() + "/long.bin";
    {
        std::ofstream out(data, std::ios::binary);
        for (std::size_t at = 0; at < receive_buffer_size + 5; ++at)
            out.put(static_cast<char>(at % 251));
    }
    // The device acknowledges the script line once the line has taken every byte, so the
    // message is read while the line is sent.
    auto sent = std::async(std::launch::async,
                           [this, &data] { return device.command("send-file " + data, 10000); });
    await_first_byte();
    ASSERT_NE(last_byte, -1);
    EXPECT_EQ(read_message(), receive_buffer_size);
    EXPECT_EQ(receive_buffer[receive_buffer_size - 1], (receive_buffer_size - 1) % 251);
    // The byte that did not fit is dropped; the four after it start the next message.
    await_first_byte();
    EXPECT_EQ(last_byte, static_cast<int>((receive_buffer_size + 1) % 251));
    EXPECT_EQ(read_message(), 4u);
    EXPECT_EQ(sent.get(), 1);
}

TEST_F(WindowTest, ProgressIsCountedOnTheAnalysisPageOnly) {
    shared.progress_panel =
        main_window->add_simple_graphics(20, 90, 50, 20, panel_style_owner_draw, &font_bold);
    click_tab_slot(2);
    ASSERT_EQ(device.command("send " + std::string(2 * 250, 'A')), 1);
    await_first_byte();
    EXPECT_EQ(read_message(), 250u);
    EXPECT_FALSE(shared.progress_panel->has_image());

    click_tab_slot(0);
    ASSERT_EQ(device.command("send " + std::string(2 * 250, 'A')), 1);
    await_first_byte();
    EXPECT_EQ(read_message(), 250u);
    // The two steps come within a millisecond: the pace holds the second back, and the end of
    // the message shows it.
    EXPECT_TRUE(panel_shows_text(shared.progress_panel, "200", colour_blue, colour_background));
}

TEST_F(WindowTest, MessagesOfNoKindChangeNothing) {
    connect_button();
    ASSERT_EQ(connected, 1);
    // Nine bytes: neither the 7- nor the 8-byte end of the connected state.
    ASSERT_EQ(device.command("send 000000000000000000"), 1);
    await_first_byte();
    dispatch_message();
    EXPECT_EQ(receive_length, 9u);
    EXPECT_EQ(connected, 1);
    // Eight bytes end it.
    ASSERT_EQ(device.command("send 0000000000000000"), 1);
    await_first_byte();
    dispatch_message();
    EXPECT_EQ(receive_length, 8u);
    EXPECT_EQ(connected, 0);
}
