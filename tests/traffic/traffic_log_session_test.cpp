// One session logged from both ends: the program's link and the simulated device (its
// --record) write the same bytes in the same lines, directions mirrored. The session holds a
// purge, a connect, a download block, an upload table and an upgrade write frame.
#include "database/download_sender.h"
#include "formats/frames.h"
#include "formats/message_kinds.h"
#include "formats/traffic_log_format.h"
#include "link/commands.h"
#include "link/device_exchange.h"
#include "link/serial_port.h"
#include "link/traffic_log.h"
#include "tests/database/block_plan.h"
#include "tests/support/sim_driver.h"
#include "tests/support/temp_folder.h"
#include "tests/upgrade/upgrade_test_images.h"
#include "upgrade/upgrade_dialogue.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <thread>

namespace {

struct LogLine {
    char direction = ' '; // '>', '<', or ' ' for a line of its own
    std::string hex;
    std::string what;
};

// Every line after the first must have the shape TIME [DIR [HEX...]] [  # WHAT].
std::vector<LogLine> read_log(const std::string& text, std::string& first_line) {
    static const std::regex shape(R"((\d+)\.\d{3}(?: ([<>])((?: [0-9A-F]{2})*))?(?:  # (.*))?)");
    std::vector<LogLine> lines;
    std::istringstream in(text);
    std::getline(in, first_line);
    for (std::string line; std::getline(in, line);) {
        std::smatch parts;
        EXPECT_TRUE(std::regex_match(line, parts, shape)) << line;
        lines.push_back({parts[2].matched ? parts[2].str()[0] : ' ',
                         parts[3].matched && parts[3].length() > 0 ? parts[3].str().substr(1) : "",
                         parts[4].str()});
    }
    return lines;
}

const LogLine* find_line(const std::vector<LogLine>& lines, char direction,
                         const std::string& what) {
    for (const LogLine& line : lines)
        if (line.direction == direction && line.what == what)
            return &line;
    return nullptr;
}

// The line after `line`.
const LogLine* next_line(const std::vector<LogLine>& lines, const LogLine* line) {
    return line && line + 1 < lines.data() + lines.size() ? line + 1 : nullptr;
}

std::size_t byte_count(const LogLine& line) {
    return line.hex.empty() ? 0 : (line.hex.size() + 1) / 3;
}

// Reads a message as the dispatcher does: until 100 ms of silence (the first byte may take
// `first_ms`); names it in the log.
std::size_t read_logged_message(int first_ms = message_silence_ms) {
    std::size_t count = 0;
    for (int wait_ms = first_ms; read_byte_within(wait_ms) >= 0; wait_ms = message_silence_ms)
        ++count;
    traffic_log_end_received(message_note(count));
    return count;
}

} // namespace

TEST(TrafficLogSession, ProgramAndDeviceLogTheSameBytesSideBySide) {
    TempFolder logs;
    SimulatedDevice device;
    ASSERT_EQ(device.start(1, {"--record", logs.file("device.log")}), 1);
    WorkingFolder here(device.folder());
    ASSERT_EQ(start_traffic_log(logs.file("program.log"), "ornivex_test", "1.2"), 1);
    ASSERT_EQ(open_port(1), 1);

    ASSERT_EQ(device.command("send 33 33 33"), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(send_command(command_connect), 1); // the purge before it drops the 3 bytes

    const DeviceExchange exchange =
        link_exchange([] {}, [](int) {}, [](const std::string&) {}, [](const std::string&) {});
    ASSERT_EQ(send_download_plan(block_plan(1), exchange).result, 1);

    EXPECT_EQ(send_command(command_request_upload), 1);
    EXPECT_EQ(read_logged_message(), 2666u);
    EXPECT_EQ(send_command(command_end_transfer), 1);

    std::istringstream answers("y 1");
    std::ostringstream console;
    const UpgradePort port{
        open_port,  purge_and_write,      read_byte_within,        close_current_port,
        [](int) {}, traffic_log_end_sent, traffic_log_end_received};
    run_upgrade_dialogue(answers, console, port, make_test_image(512));
    EXPECT_NE(console.str().find("Test controller memory - O'k"), std::string::npos);
    stop_traffic_log();
    ASSERT_EQ(device.stop(), 0);

    std::string program_first, device_first;
    const auto program = read_log(logs.read_text("program.log"), program_first);
    const auto device_side = read_log(logs.read_text("device.log"), device_first);
    // Both first lines name the one pseudo-terminal between them.
    std::smatch program_port, device_port;
    ASSERT_TRUE(
        std::regex_match(program_first, program_port,
                         std::regex("# .+ ornivex_test 1.2 port COM1 COM1 -> (/dev/pts/\\d+)")))
        << program_first;
    ASSERT_TRUE(std::regex_match(device_first, device_port,
                                 std::regex("# .+ varden_sim [0-9.]+ port COM1 (/dev/pts/\\d+)")))
        << device_first;
    EXPECT_EQ(program_port[1], device_port[1]);

    EXPECT_NE(find_line(program, '<', "purged 3 bytes"), nullptr);
    const LogLine* connect = find_line(program, '>', "command 12 connect");
    ASSERT_NE(connect, nullptr);
    EXPECT_EQ(connect->hex, "AA 55 AA 55 50 0C 00 00 00 00 00 00 5C 00 00 00");
    const LogLine* connect_ack = next_line(program, connect);
    ASSERT_NE(connect_ack, nullptr);
    EXPECT_EQ(connect_ack->direction, '<');
    EXPECT_EQ(connect_ack->hex, "AA 55 01");
    EXPECT_EQ(connect_ack->what, "acknowledgement 1 accepted");

    const LogLine* block = find_line(program, '>', "command 5 image block 0");
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(byte_count(*block), image_block_size + frame_overhead); // one line
    EXPECT_EQ(block->hex.substr(0, 23), "AA 55 AA 55 50 05 00 06");
    const LogLine* table = find_line(program, '<', "upload name table (2666 bytes)");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(byte_count(*table), 2666u);

    const LogLine* write = find_line(program, '>', "write memory chunk 0, 8 blocks");
    ASSERT_NE(write, nullptr);
    EXPECT_EQ(byte_count(*write), 28u + 8 * 192);
    EXPECT_EQ(write->hex.substr(0, 17), "AA AA AA 55 30 40");
    const LogLine* write_reply = next_line(program, write);
    ASSERT_NE(write_reply, nullptr);
    EXPECT_EQ(write_reply->what, "reply 1");

    // The device's log holds each of these bursts with the direction mirrored.
    for (const LogLine* sent : {connect, block, write}) {
        const LogLine* seen = find_line(device_side, '<', sent->what);
        ASSERT_NE(seen, nullptr) << sent->what;
        EXPECT_EQ(seen->hex, sent->hex) << sent->what;
    }
    const LogLine* table_sent = find_line(device_side, '>', "upload name table (2666 bytes)");
    ASSERT_NE(table_sent, nullptr);
    EXPECT_EQ(table_sent->hex, table->hex);
    const LogLine* ack_sent = find_line(device_side, '>', "acknowledgement 1 accepted");
    ASSERT_NE(ack_sent, nullptr);
    EXPECT_EQ(ack_sent->hex, "AA 55 01");
}

// A reply that comes slowly at line speed is one line all the same: bytes 5 ms apart for 60 ms,
// and an upload table at 38400 baud.
TEST(TrafficLogSession, ASlowReplyIsOneLine) {
    TempFolder logs;
    SimulatedDevice device;
    ASSERT_EQ(device.start(1, {"--pace"}), 1);
    WorkingFolder here(device.folder());
    ASSERT_EQ(start_traffic_log(logs.file("program.log"), "ornivex_test", "1.2"), 1);
    ASSERT_EQ(open_port(1), 1);
    ASSERT_EQ(device.command("gap 5"), 1);
    // Read while the device sends: its "ok" comes only when the last byte is out.
    std::thread sender(
        [&device] { device.command("send 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D"); });
    EXPECT_EQ(read_logged_message(2000), 13u);
    sender.join();
    ASSERT_EQ(device.command("gap 0"), 1);
    EXPECT_EQ(send_command(command_request_upload), 1);
    EXPECT_EQ(read_logged_message(), 2666u);
    stop_traffic_log();
    close_all_ports();

    std::string first;
    const auto program = read_log(logs.read_text("program.log"), first);
    const LogLine* slow = find_line(program, '<', message_note(13));
    ASSERT_NE(slow, nullptr) << logs.read_text("program.log");
    EXPECT_EQ(slow->hex, "01 02 03 04 05 06 07 08 09 0A 0B 0C 0D");
    const LogLine* table = find_line(program, '<', "upload name table (2666 bytes)");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(byte_count(*table), 2666u);
}
