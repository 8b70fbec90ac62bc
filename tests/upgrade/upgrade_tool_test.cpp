// ornivex_upgrade as a program, answering its questions from a script, against varden_sim on a
// pseudo-terminal.
#include "tests/support/sim_driver.h"
#include "tests/upgrade/upgrade_test_images.h"
#include "upgrade/upgrade_image.h"
#include "varden_version.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

struct ToolRun {
    int status = -1; // exit status, -1 when it had to be killed
    std::string output;
    std::string errors;
};

// Reads a pipe to its end, or until the deadline.
std::string read_to_end(int fd, Clock::time_point deadline) {
    std::string text;
    char chunk[4096];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd watched{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&watched, 1, static_cast<int>(left.count())) <= 0)
            return text;
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got <= 0)
            return text;
        text.append(chunk, static_cast<std::size_t>(got));
    }
}

// Runs the tool in `folder` with `answers` on its standard input.
ToolRun run_tool(const std::string& folder, const std::string& answers,
                 const std::vector<std::string>& args = {}, int timeout_ms = 30000) {
    int input[2], output[2], errors[2];
    ToolRun run;
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0 ||
        ::pipe2(errors, O_CLOEXEC) != 0)
        return run;
    std::vector<std::string> words = {ORNIVEX_UPGRADE};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(input[0], STDIN_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        ::dup2(errors[1], STDERR_FILENO);
        if (::chdir(folder.c_str()) == 0)
            ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(input[0]);
    ::close(output[1]);
    ::close(errors[1]);
    std::signal(SIGPIPE, SIG_IGN);
    (void)!::write(input[1], answers.data(), answers.size());
    ::close(input[1]);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    run.output = read_to_end(output[0], deadline);
    run.errors = read_to_end(errors[0], deadline);
    ::close(output[0]);
    ::close(errors[0]);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return run;
        }
        ::usleep(10000);
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void write_file(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

const std::string start =
    "ORNIVEX_VARDEN1_UPGRADE(V1.2) - Program for upgrade ORNIVEX VARDEN1 device\n\n"
    "UPGRADE_DATA from ORNIVEX_VARDEN1_UPGRADE_VERS29_Z4b.bin\n"
    "\nUpgrade ORNIVEX_VARDEN1_UPGRADE_VERS29_Z4b.bin to ORNIVEX VARDEN(y,n)? >>";
const std::string com_question = "\nPlease enter COM number(valid 1-20) >>";
const std::string com_refused =
    com_question + "\nERROR COM number(valid 1-20)\n\nWould you like to continue(y,n)? >>";
const std::string repeat = "\nWould you like to repeat(y,n)? >>";
const std::string switched =
    "\n\nSwitching to Upgrade Regime ...\nSwitch to Upgrade Regime - O'k\n\n\nConnecting ...";
const std::string connected = "\nCounter connection - OK\n";
const std::string written = "\n\nWrite controller memory - O'k\n";
const std::string tested = "\nTest controller memory - O'k\n";

class UpgradeTool : public ::testing::Test {
protected:
    void SetUp() override {
        if (sim_program().empty())
            GTEST_SKIP() << "VARDEN_SIM is not set";
        ASSERT_TRUE(device.start(3));
        write_file(device.folder() + "/" + upgrade_image_name, image);
    }
    SimulatedDevice device;
    Bytes image = make_test_image(full_image_words, 11);
};

TEST_F(UpgradeTool, WritesAndVerifiesTheImage) {
    const ToolRun run = run_tool(device.folder(), "y\n3\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output,
              start + com_question + switched + connected + std::string(9, 'W') + written + tested);

    const std::string saved = device.folder() + "/memory.bin";
    ASSERT_TRUE(device.command("upgrade-save " + saved));
    EXPECT_EQ(read_file(saved), pack_upgrade_image(image.data(), image.size()));
    const auto frames = device.wait_for_frames(12);
    ASSERT_EQ(frames.size(), 12u);
    EXPECT_EQ(frames[0].kind, HeaderKind::control);
    EXPECT_EQ(frames[0].code, 16);
    EXPECT_EQ(frames[1].kind, HeaderKind::upgrade);
    EXPECT_EQ(frames[1].code, 0x08);
    for (int i = 2; i < 11; ++i) {
        EXPECT_EQ(frames[i].code, 0x40);
        EXPECT_EQ(frames[i].length, 1548);
    }
    EXPECT_EQ(frames[11].length, 12);
}

// One run through refused answers and every kind of failed attempt, then a good one.
TEST_F(UpgradeTool, RefusedAnswersAndFailedAttemptsEndInSuccess) {
    for (const char* line :
         {"upgrade-reply connect 2 2 2 2 2 1", "upgrade-reply write 2 1 1 8 8 1",
          "upgrade-corrupt-checksum 0 3 1", "upgrade-stray write 5", "upgrade-gap test 3"})
        ASSERT_TRUE(device.command(line)) << line;
    const ToolRun run = run_tool(device.folder(), "maybe yes\n0 y 21 Y\n-3 y abc y 3\ny\ny\nyes\n");
    EXPECT_EQ(run.status, 0);
    const std::string nine_frames = std::string(9, 'W') + written;
    EXPECT_EQ(run.output,
              start + start.substr(start.rfind('\n')) + com_refused + com_refused + com_refused +
                  com_refused + com_question +
                  // connect refused three times
                  switched + "\nWrong header of command\n" + repeat +
                  // connect on the third try, the first frame on its second try, then code 8
                  switched + connected + "WW\nError write controller memory, adr = 0x10\n" +
                  repeat +
                  // two wrong checksums
                  switched + connected + nine_frames + "\nERROR test controller memory\n" + repeat +
                  // a wrong checksum, then the right one
                  switched + connected + nine_frames + tested);
    ASSERT_TRUE(device.command("upgrade-state"));
    EXPECT_NE(device.last_reply().find("written=13824"), std::string::npos) << device.last_reply();
}

// Again and again against one device, as a trainer does: after a run that ended, and after one
// that was killed while it held the port.
TEST_F(UpgradeTool, RunsAgainAfterARunThatEndedOrWasKilled) {
    const std::string verified = switched + connected + std::string(9, 'W') + written + tested;
    EXPECT_EQ(run_tool(device.folder(), "y\n3\n").output, start + com_question + verified);
    EXPECT_EQ(run_tool(device.folder(), "y\n3\n").output, start + com_question + verified);

    ASSERT_TRUE(device.command("upgrade-reply connect silent"));
    const std::string answers = device.folder() + "/answers";
    std::ofstream(answers) << "y\n3\n";
    const std::size_t before = device.frames().size();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(device.folder().c_str()) == 0 && std::freopen(answers.c_str(), "r", stdin) &&
            std::freopen("/dev/null", "w", stdout))
            ::execl(ORNIVEX_UPGRADE, ORNIVEX_UPGRADE, nullptr);
        ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    // The switch, then a connect left unanswered: the tool holds the port when it is killed.
    const auto frames = device.wait_for_frames(before + 2);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ASSERT_EQ(frames.size(), before + 2);
    // The round trip only makes sure that the device has looked at the closed port.
    ASSERT_TRUE(device.command("upgrade-reply connect 1"));
    EXPECT_EQ(run_tool(device.folder(), "y\n3\n").output, start + com_question + verified);
}

// A port that another program has open is refused as a port that cannot be opened, and its
// settings stay as that program set them.
TEST_F(UpgradeTool, LeavesAPortInUseAlone) {
    const int other = ::open(device.link_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    termios found{};
    ASSERT_EQ(::tcgetattr(other, &found), 0);
    found.c_lflag |= ECHO | ICANON;
    ASSERT_EQ(::tcsetattr(other, TCSANOW, &found), 0);
    const ToolRun run = run_tool(device.folder(), "y 3 n\n");
    EXPECT_EQ(run.output, start + com_question + "\nERROR init COM-port\n" +
                              "\nWould you like to continue(y,n)? >>");
    termios now{};
    ASSERT_EQ(::tcgetattr(other, &now), 0);
    EXPECT_EQ(now.c_lflag, found.c_lflag);
    ::close(other);
    EXPECT_TRUE(device.frames().empty());
}

TEST_F(UpgradeTool, EndsWithoutTouchingThePort) {
    ToolRun run = run_tool(device.folder(), "N\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, start);

    run = run_tool(device.folder(), "y 25 n\n");
    EXPECT_EQ(run.output, start + com_refused);

    write_file(device.folder() + "/" + upgrade_image_name, Bytes(18430, 1));
    run = run_tool(device.folder(), "y 3\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, upgrade_image_error_text(image_not_words));

    std::remove((device.folder() + "/" + upgrade_image_name).c_str());
    run = run_tool(device.folder(), "y 3\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, upgrade_image_error_text(image_missing));
    EXPECT_TRUE(device.frames().empty());

    run = run_tool(device.folder(), "", {"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find(upgrade_image_name), std::string::npos);
    EXPECT_NE(run.output.find("refused with status 2"), std::string::npos) << run.output;
    run = run_tool(device.folder(), "", {"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, std::string("ornivex_upgrade ") + varden_version + "\n");
    run = run_tool(device.folder(), "", {"--version", "x"});
    EXPECT_EQ(run.status, 2);
    run = run_tool(device.folder(), "", {"COM3"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.errors.find("COM3"), std::string::npos);
}

} // namespace
