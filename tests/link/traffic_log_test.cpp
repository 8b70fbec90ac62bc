// The traffic log: its lines, how bytes are gathered into bursts, its command-line option, and
// a log that cannot be written.
#include "formats/frames.h"
#include "formats/traffic_log_format.h"
#include "link/commands.h"
#include "link/traffic_log.h"
#include "link/traffic_log_option.h"
#include "tests/support/temp_folder.h"

#include <csignal>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The lines after the first, with the time cut off.
std::vector<std::string> untimed_lines(const std::string& text) {
    std::vector<std::string> lines = lines_of(text);
    std::vector<std::string> untimed;
    for (std::size_t at = 1; at < lines.size(); ++at)
        untimed.push_back(lines[at].substr(lines[at].find(' ') + 1));
    return untimed;
}

int failures_reported = 0;
void count_failure(const std::string&) {
    ++failures_reported;
}

} // namespace

TEST(TrafficLogLines, ShowTimeDirectionHexAndWhat) {
    const Bytes frame = {0xAA, 0x55, 0x0C, 0x00, 0xFF};
    EXPECT_EQ(traffic_log_line(1234567, TrafficDirection::sent, frame.data(), frame.size(),
                               "command 12 connect"),
              "1234.567 > AA 55 0C 00 FF  # command 12 connect");
    EXPECT_EQ(traffic_log_line(5, TrafficDirection::received, frame.data(), 2, ""),
              "0.005 < AA 55");
    EXPECT_EQ(traffic_log_line(20'000, TrafficDirection::received, nullptr, 0, "purged 3 bytes"),
              "20.000 <  # purged 3 bytes");
    EXPECT_EQ(traffic_note_line(1'000'001, "port COM2 went away"),
              "1000.001  # port COM2 went away");
    EXPECT_EQ(traffic_log_header("2026-01-02 03:04:05 +0000", "ornivex_upgrade", "1.11",
                                 "COM3 /dev/ttyS2"),
              "# 2026-01-02 03:04:05 +0000 ornivex_upgrade 1.11 port COM3 /dev/ttyS2");
    EXPECT_TRUE(is_traffic_log_header("# 2026-01-02 03:04:05 +0000 varden_sim 1.11 port COM1 x"));
    for (const char* other : {"", "# notes", "# 2026-01-02 03:04:05 +0000 port",
                              "#2026-01-02 "
                              "03:04:05 x port y",
                              "# 2026-01-0x 03:04:05 x port y"})
        EXPECT_FALSE(is_traffic_log_header(other)) << other;
    EXPECT_EQ(traffic_log_end_note(SIGINT, -1), "end by SIGINT");
    EXPECT_EQ(traffic_log_end_note(0, 3), "end, exit status 3");
    EXPECT_EQ(traffic_log_end_note(0, -1), "end");
}

TEST(TrafficLogLines, NameFramesAndAcknowledgements) {
    const auto connect = command_frame(command_connect);
    EXPECT_EQ(command_frame_note(connect.data(), connect.size()), "command 12 connect");
    Bytes block(16 + 4, 0);
    fill_data_frame(command_image_block, 4, 157, block.data());
    EXPECT_EQ(command_frame_note(block.data(), block.size()), "command 5 image block 157");
    Bytes mode(18, 0);
    mode[12] = 3;
    fill_data_frame(command_mode, 2, 0, mode.data());
    EXPECT_EQ(command_frame_note(mode.data(), mode.size()), "command 9 mode 3");
    const auto unknown = command_frame(16);
    EXPECT_EQ(command_frame_note(unknown.data(), unknown.size()), "command 16");
    EXPECT_EQ(command_frame_note(connect.data(), 15), "");

    EXPECT_EQ(acknowledgement_note(1, nullptr), "acknowledgement 1 accepted");
    EXPECT_EQ(acknowledgement_note(4, command_result_text(4)),
              "acknowledgement 4 COM-bufer of ZELK is full");
    EXPECT_EQ(acknowledgement_note(9, command_result_text(9)), "acknowledgement 9");
    EXPECT_EQ(acknowledgement_note(-1, command_result_text(-1)), "no acknowledgement");
}

TEST(TrafficLogBursts, SplitAtDirectionPauseAndNameAndKeepTheOrder) {
    TempFolder folder;
    const std::string path = folder.file("traffic.log");
    ASSERT_EQ(start_traffic_log(path, "test", "9.9"), 1);
    const Bytes frame = {0x01, 0x02, 0x03};
    traffic_log_received(frame.data(), 1); // before any port: the first line says so
    traffic_log_port(4, "/dev/ttyS3", false);
    traffic_log_sent(frame.data(), 2, traffic_log_clock_ns());
    traffic_log_sent(frame.data() + 2, 1, traffic_log_clock_ns()); // one burst with the first
    traffic_log_end_sent("named");
    traffic_log_received(frame.data(), 2);
    traffic_log_received(frame.data() + 2, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    traffic_log_received(frame.data(), 1); // after the pause: a line of its own
    traffic_log_purged(7);
    traffic_log_end_received("no acknowledgement"); // nothing open: a line without bytes
    traffic_log_port(4, "/dev/ttyS3", true);
    traffic_log_received(frame.data() + 1, 1);
    stop_traffic_log("end by SIGHUP");     // writes what is open, then how it ended
    traffic_log_received(frame.data(), 1); // after the end: nothing

    const std::string text = folder.read_text("traffic.log");
    const std::vector<std::string> lines = lines_of(text);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(std::regex_match(
        lines[0], std::regex("# \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d [+-]\\d{4} test 9.9 "
                             "port none chosen")))
        << lines[0];
    EXPECT_EQ(untimed_lines(text),
              (std::vector<std::string>{"< 01", " # port COM4 not open (/dev/ttyS3)",
                                        "> 01 02 03  # named", "< 01 02 03", "< 01",
                                        "<  # purged 7 bytes", "<  # no acknowledgement",
                                        " # port COM4 /dev/ttyS3", "< 02", " # end by SIGHUP"}));
    double previous = 0;
    for (std::size_t at = 1; at < lines.size(); ++at) {
        const double time = std::stod(lines[at]);
        EXPECT_LE(previous, time) << lines[at];
        previous = time;
    }
}

TEST(TrafficLogBursts, ALogThatCannotBeWrittenIsReportedOnceAndDropped) {
    EXPECT_EQ(start_traffic_log("/nonexistent-folder/traffic.log", "test", "1"), 0);
    EXPECT_FALSE(traffic_log_on());

    failures_reported = 0;
    set_traffic_log_failure_report(count_failure);
    ASSERT_EQ(start_traffic_log("/dev/full", "test", "1"), 1);
    const Bytes bytes(100, 0x55);
    traffic_log_port(1, "/dev/ttyS0", true);
    traffic_log_sent(bytes.data(), bytes.size(), traffic_log_clock_ns());
    traffic_log_end_sent("x");
    traffic_log_end_received("y");
    EXPECT_FALSE(traffic_log_on());
    EXPECT_EQ(failures_reported, 1);
    set_traffic_log_failure_report(nullptr);
}

bool is_com3(std::string_view name) {
    return name == "COM3";
}

// A log never takes a file that is not a log: not through a link, not a file of another kind,
// not one of the program's own files; it names why, and the file stays as it was.
TEST(TrafficLogBursts, NeverCostsTheUserAFile) {
    TempFolder folder;
    folder.write_text("notes.txt", "keep me\n");
    ASSERT_EQ(::symlink("notes.txt", folder.file("link.log").c_str()), 0);
    ASSERT_EQ(::symlink("missing.txt", folder.file("dangling.log").c_str()), 0);
    const char* working = std::getenv("PWD");
    ASSERT_EQ(::chdir(folder.path().c_str()), 0);
    const auto refusal = [](const std::string& path) {
        std::string reason = "-";
        EXPECT_EQ(start_traffic_log(path, "test", "1", is_com3, &reason), 0) << path;
        EXPECT_FALSE(traffic_log_on());
        return reason;
    };
    EXPECT_EQ(refusal("notes.txt"), "it is not a traffic log");
    EXPECT_EQ(refusal("link.log"), "it is a symbolic link");
    EXPECT_EQ(refusal(folder.file("dangling.log")), "No such file or directory");
    EXPECT_EQ(refusal("./COM3"), "it is a file of the program");
    ASSERT_EQ(::mkfifo("unread", 0600), 0);
    EXPECT_EQ(refusal("unread"), "it is a pipe that nobody reads"); // not waited for
    EXPECT_EQ(refusal(folder.path() + "/COM3"), "it is a file of the program");
    EXPECT_EQ(folder.read_text("notes.txt"), "keep me\n");
    EXPECT_FALSE(folder.exists("missing.txt"));
    EXPECT_FALSE(folder.exists("COM3"));

    // A log, an empty file, a new file, and a pipe behind a link (as a shell's >(...)) are taken.
    ASSERT_EQ(start_traffic_log("old.log", "test", "1", is_com3), 1);
    stop_traffic_log("end");
    ASSERT_EQ(start_traffic_log("old.log", "test", "2", is_com3), 1);
    stop_traffic_log();
    EXPECT_EQ(lines_of(folder.read_text("old.log")).size(), 1u);
    EXPECT_NE(folder.read_text("old.log").find("test 2 port"), std::string::npos);
    folder.write_text("empty.log", "");
    for (const char* taken : {"empty.log", "new.log", "sub_COM3"}) {
        EXPECT_EQ(start_traffic_log(taken, "test", "1", is_com3), 1) << taken;
        stop_traffic_log();
    }
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    const std::string pipe_link = "/proc/self/fd/" + std::to_string(pipe_ends[1]);
    EXPECT_EQ(start_traffic_log(pipe_link, "test", "1", is_com3), 1);
    stop_traffic_log();
    char first = 0;
    EXPECT_EQ(::read(pipe_ends[0], &first, 1), 1);
    EXPECT_EQ(first, '#');
    ::close(pipe_ends[0]);
    ::close(pipe_ends[1]);
    ASSERT_EQ(::chdir(working ? working : "/"), 0);
}

TEST(TrafficLogOption, IsTakenOutOfTheArguments) {
    const auto parse = [](std::vector<std::string> words, std::string& path,
                          std::vector<std::string>& rest) {
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        int argc = static_cast<int>(words.size());
        const int result = take_traffic_log_option(argc, argv.data(), path);
        rest.assign(argv.begin(), argv.begin() + argc);
        EXPECT_EQ(argv[static_cast<std::size_t>(argc)], nullptr);
        return result;
    };
    std::string path;
    std::vector<std::string> rest;
    EXPECT_EQ(parse({"prog", "--traffic-log", "a.log", "--help"}, path, rest), 1);
    EXPECT_EQ(path, "a.log");
    EXPECT_EQ(rest, (std::vector<std::string>{"prog", "--help"}));
    EXPECT_EQ(parse({"prog", "-x", "--traffic-log=b.log"}, path, rest), 1);
    EXPECT_EQ(path, "b.log");
    EXPECT_EQ(rest, (std::vector<std::string>{"prog", "-x"}));
    path.clear();
    EXPECT_EQ(parse({"prog", "--traffic-logs", "x"}, path, rest), 1);
    EXPECT_EQ(path, "");
    EXPECT_EQ(rest.size(), 3u);
    for (const auto& missing : {std::vector<std::string>{"prog", "--traffic-log"},
                                std::vector<std::string>{"prog", "--traffic-log", ""},
                                std::vector<std::string>{"prog", "--traffic-log="}})
        EXPECT_EQ(parse(missing, path, rest), 0) << missing.back();
}
