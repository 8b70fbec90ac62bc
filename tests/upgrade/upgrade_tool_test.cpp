// ornivex_upgrade as a program, answering its questions from a script, against varden_sim on a
// pseudo-terminal.
#include "formats/upgrade_image.h"
#include "tests/support/sim_driver.h"
#include "tests/support/temp_folder.h"
#include "tests/upgrade/upgrade_test_images.h"
#include "varden_version.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
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

// Starts the tool with `args` in `folder`; `prepare` sets up the child's standard streams
// first (false: the child ends with 127).
pid_t fork_tool(const std::string& folder, const std::vector<std::string>& args,
                const std::function<bool()>& prepare) {
    std::vector<std::string> words = {ORNIVEX_UPGRADE};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (prepare() && ::chdir(folder.c_str()) == 0)
            ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

// Runs the tool in `folder` with `answers` on its standard input.
ToolRun run_tool(const std::string& folder, const std::string& answers,
                 const std::vector<std::string>& args = {}, int timeout_ms = 30000) {
    int input[2], output[2], errors[2];
    ToolRun run;
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0 ||
        ::pipe2(errors, O_CLOEXEC) != 0)
        return run;
    const pid_t pid = fork_tool(folder, args, [&] {
        return ::dup2(input[0], STDIN_FILENO) >= 0 && ::dup2(output[1], STDOUT_FILENO) >= 0 &&
               ::dup2(errors[1], STDERR_FILENO) >= 0;
    });
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

// Starts the tool in the background in `folder`, its answers from a file and its output thrown
// away; with `hang_up_ignored` as nohup starts it.
pid_t start_tool(const std::string& folder, const std::string& answers,
                 const std::vector<std::string>& args = {}, bool hang_up_ignored = false) {
    const std::string answers_path = folder + "/answers";
    std::ofstream(answers_path) << answers;
    return fork_tool(folder, args, [&] {
        if (hang_up_ignored)
            std::signal(SIGHUP, SIG_IGN);
        return std::freopen(answers_path.c_str(), "r", stdin) &&
               std::freopen("/dev/null", "w", stdout);
    });
}

// The exit status of a program run by the shell with its standard output on /dev/full, and
// what it said on standard error.
int status_on_full_disk(const std::string& command, std::string& errors) {
    TempFolder scratch;
    const int status = std::system((command + " >/dev/full 2>" + scratch.file("errors")).c_str());
    errors = scratch.read_text("errors");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
    const std::size_t before = device.frames().size();
    const pid_t pid = start_tool(device.folder(), "y\n3\n");
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

// The log never costs the user a file or the run: the image and a link are refused (and the
// upgrade goes on), a log whose reader went away is named once and the upgrade still ends well.
TEST_F(UpgradeTool, TheTrafficLogNeverCostsAFileOrTheRun) {
    const std::string verified = switched + connected + std::string(9, 'W') + written + tested;
    ToolRun run = run_tool(device.folder(), "y\n3\n", {"--traffic-log", upgrade_image_name});
    EXPECT_EQ(run.output, "\nCan't write traffic log " + std::string(upgrade_image_name) +
                              " (it is a file of the program)\n" + start + com_question + verified);
    EXPECT_EQ(read_file(device.folder() + "/" + upgrade_image_name), image);

    write_file(device.folder() + "/notes.txt", Bytes(100, 'n'));
    ASSERT_EQ(::symlink("notes.txt", (device.folder() + "/link.log").c_str()), 0);
    run = run_tool(device.folder(), "n\n", {"--traffic-log=link.log"});
    EXPECT_EQ(run.output.rfind("\nCan't write traffic log link.log (it is a symbolic link)\n", 0),
              0u)
        << run.output;
    EXPECT_EQ(read_file(device.folder() + "/notes.txt"), Bytes(100, 'n'));

    int log_pipe[2];
    ASSERT_EQ(::pipe(log_pipe), 0);
    ::close(log_pipe[0]); // the log's reader is gone before the first line
    const std::string pipe_path = "/dev/fd/" + std::to_string(log_pipe[1]);
    run = run_tool(device.folder(), "y\n3\n", {"--traffic-log", pipe_path});
    ::close(log_pipe[1]);
    EXPECT_EQ(run.status, 0);
    const std::string failure = "\nCan't write traffic log " + pipe_path + "\n";
    const std::size_t named = run.output.find(failure);
    ASSERT_NE(named, std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(failure, named + 1), std::string::npos);
    EXPECT_NE(run.output.find(tested), std::string::npos) << run.output;
}

// Started as nohup starts it, the tool outlives SIGHUP; Ctrl-C while it waits for the device
// ends it with every byte it received and a last line in the log.
TEST_F(UpgradeTool, ASignalEndsTheLogCompletelyAndAnIgnoredOneStaysIgnored) {
    ASSERT_TRUE(device.command("upgrade-reply connect silent"));
    const std::string log = device.folder() + "/traffic.log";
    const pid_t pid = start_tool(device.folder(), "y\n3\n", {"--traffic-log", log}, true);
    ASSERT_GT(pid, 0);
    ASSERT_EQ(device.wait_for_frames(2).size(), 2u); // the switch, then a connect left waiting
    ASSERT_TRUE(device.command("send 33 33 33"));    // read while the reply is awaited
    ::kill(pid, SIGHUP);
    ::usleep(300000);
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), 0) << "SIGHUP ended the tool";
    ::kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(line.find(' ') + 1));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 2].rfind("< 33 33 33", 0), 0u) << lines[lines.size() - 2];
    EXPECT_EQ(lines.back(), " # end by SIGINT");
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
    for (const char* request : {" --help", " --version"}) {
        std::string errors;
        EXPECT_EQ(status_on_full_disk(ORNIVEX_UPGRADE + std::string(request), errors), 1)
            << request;
        EXPECT_EQ(errors, "ornivex_upgrade: cannot write the standard output: No space left on "
                          "device\n");
    }
}

} // namespace
