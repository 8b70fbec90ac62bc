// varden_sim as a program: its command line, its script on standard input, and its side of a
// real pseudo-terminal, seen byte for byte from the line.
#include "formats/frames.h"
#include "tests/support/sim_driver.h"
#include "tests/support/temp_folder.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

Bytes data_frame(int code, const Bytes& payload, int block = 0) {
    Bytes frame(payload.size() + frame_overhead);
    std::copy(payload.begin(), payload.end(), frame.begin() + frame_header_size);
    fill_data_frame(code, static_cast<std::uint16_t>(payload.size()),
                    static_cast<std::uint16_t>(block), frame.data());
    return frame;
}

// The program's end of the line, without the link library in between.
class RawLine {
public:
    explicit RawLine(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~RawLine() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool is_open() const { return fd_ >= 0; }

    bool write(const Bytes& bytes) {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // What arrives until `count` bytes are there or the line is silent for `silence_ms`.
    Bytes read(std::size_t count, int silence_ms = 500) {
        Bytes got;
        std::uint8_t chunk[4096];
        pollfd watched{fd_, POLLIN, 0};
        while (got.size() < count && ::poll(&watched, 1, silence_ms) > 0) {
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n <= 0)
                break;
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }

private:
    int fd_;
};

// CPU time the process has used, in clock ticks.
long cpu_ticks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    long ticks = 0;
    for (int i = 1; i <= 15 && stat >> field; ++i)
        if (i == 14 || i == 15)
            ticks += std::stol(field);
    return ticks;
}

bool is_link(const std::string& path) {
    struct stat entry {};
    return ::lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode);
}

class SimDevice : public ::testing::Test {
protected:
    SimulatedDevice device;
};

} // namespace

TEST_F(SimDevice, MalformedCommandLinesExitWithStatusTwoAndSayWhy) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--port", "31"}, "--port"},
        {{"--port", "0"}, "--port"},
        {{"--dir"}, "--dir"},
        {{"--colour", "blue"}, "--colour"}};
    for (const auto& [args, named] : cases) {
        std::string errors;
        EXPECT_EQ(run_sim_to_end(args, "", errors), 2) << named;
        EXPECT_NE(errors.find(named), std::string::npos) << errors;
    }
}

// A traffic log that cannot be written is named once on standard error and the device goes
// on; an output nobody can read ends it with status 1 and a message.
TEST_F(SimDevice, SaysWhatItCannotWrite) {
    std::string errors;
    EXPECT_EQ(run_sim_to_end({"--record", "/dev/full"}, "state\nstate\nquit\n", errors), 0);
    const std::string named = "varden_sim: cannot write the traffic log /dev/full";
    ASSERT_NE(errors.find(named), std::string::npos) << errors;
    EXPECT_EQ(errors.find(named, errors.find(named) + 1), std::string::npos) << errors;

    TempFolder scratch;
    for (const std::string& run : {sim_program() + " --version", sim_program() + " --help",
                                   sim_program() + " --dir " + scratch.path() + " </dev/null"}) {
        const int status = std::system((run + " >/dev/full 2>" + scratch.file("errors")).c_str());
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << run;
        EXPECT_NE(scratch.read_text("errors").find("varden_sim: cannot write the standard output"),
                  std::string::npos)
            << run << ": " << scratch.read_text("errors");
    }
}

TEST_F(SimDevice, MalformedScriptLineEndsTheProgramWithStatusTwoAndNamesTheLine) {
    std::string errors;
    EXPECT_EQ(run_sim_to_end({}, "# set up\nresult 12 4\n\nstray 12 many\nquit\n", errors), 2);
    EXPECT_NE(errors.find("line 4"), std::string::npos) << errors;
    EXPECT_NE(errors.find("many"), std::string::npos) << errors;

    ASSERT_TRUE(device.start(7));
    EXPECT_FALSE(device.command("sequence 12 1 2 three"));
    EXPECT_EQ(device.stop(), 2);
    EXPECT_FALSE(is_link(device.link_path())) << "the link goes with the program";
}

TEST_F(SimDevice, LinkLivesAsLongAsTheProgramAndAStaleOneIsReplaced) {
    ASSERT_TRUE(device.start(30));
    char target[256] = {};
    ASSERT_GT(::readlink(device.link_path().c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target).rfind("/dev/pts/", 0), 0u) << target;
    EXPECT_EQ(device.end_with_signal(SIGTERM), 0);
    EXPECT_FALSE(is_link(device.link_path()));

    ASSERT_TRUE(device.start(30));
    EXPECT_EQ(device.end_with_signal(SIGKILL), 128 + SIGKILL);
    ASSERT_TRUE(is_link(device.link_path())) << "nothing can clean up after SIGKILL";
    ASSERT_TRUE(device.start(30)) << "a stale link is replaced";
    RawLine line(device.link_path());
    ASSERT_TRUE(line.is_open());
    ASSERT_TRUE(line.write(data_frame(12, {})));
    EXPECT_EQ(line.read(3), (Bytes{0xAA, 0x55, 0x01}));
    EXPECT_EQ(device.stop(), 0);
    EXPECT_FALSE(is_link(device.link_path()));
}

// Two devices in one folder: the second leaves the first's link alone and says why; a device
// removes only its own link; and the exclusive flag of a program that still holds the line
// stays, whether or not that program took the advisory lock.
TEST_F(SimDevice, OnlyItsOwnLinkAndAbandonedFlagsAreTouched) {
    ASSERT_TRUE(device.start(30));
    std::string errors;
    EXPECT_EQ(run_sim_to_end({"--dir", device.folder(), "--port", "30"}, "quit\n", errors), 2);
    EXPECT_NE(errors.find("not replaced"), std::string::npos) << errors;
    RawLine line(device.link_path());
    ASSERT_TRUE(line.is_open()) << "the first device's link still leads to it";

    const int holder = ::open(device.link_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::ioctl(holder, TIOCEXCL), 0); // no advisory lock, as stty or another tool
    ::close(::open(device.link_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)); // a close
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    int exclusive = 0;
    ASSERT_EQ(::ioctl(holder, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1) << "the device cleared the flag of a live holder";
    ::close(holder);

    ASSERT_EQ(::unlink(device.link_path().c_str()), 0);
    ASSERT_EQ(::symlink("/dev/null", device.link_path().c_str()), 0);
    EXPECT_EQ(device.stop(), 0);
    EXPECT_TRUE(is_link(device.link_path())) << "a link that is not its own stays";
}

TEST_F(SimDevice, AnswersAndRecordsEveryFrameItReceives) {
    ASSERT_TRUE(device.start(4));
    RawLine line(device.link_path());
    ASSERT_TRUE(line.is_open());
    const Bytes payload = {0x80, 0xFF, 0x00, 0x7F, 0xAA, 0x55};
    ASSERT_TRUE(line.write(data_frame(5, payload, 300)));
    EXPECT_EQ(line.read(3), (Bytes{0xAA, 0x55, 0x01}));
    Bytes corrupt = data_frame(12, {});
    corrupt[13] = 1;
    ASSERT_TRUE(line.write(corrupt));
    EXPECT_EQ(line.read(3), (Bytes{0xAA, 0x55, 0x03}));
    ASSERT_TRUE(line.write({0xAA, 0xAA, 0xAA, 0x55, 0x50, 0x08, 0, 0, 0, 0, 0, 0, 0x58, 0, 0, 0}));
    line.read(3);

    const auto frames = device.wait_for_frames(3);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].kind, HeaderKind::control);
    EXPECT_EQ(frames[0].code, 5);
    EXPECT_EQ(frames[0].block, 300);
    EXPECT_EQ(frames[0].length, 6);
    EXPECT_EQ(frames[0].check, FrameCheck::ok);
    EXPECT_EQ(frames[0].payload, payload);
    EXPECT_EQ(frames[1].code, 12);
    EXPECT_EQ(frames[1].check, FrameCheck::sum);
    EXPECT_EQ(frames[2].kind, HeaderKind::upgrade);
    EXPECT_EQ(frames[2].code, 8);
    EXPECT_LE(frames[0].time_ms, frames[2].time_ms);
}

TEST_F(SimDevice, DropsAFrameThatStopsArrivingAndAnswersTheNextOne) {
    ASSERT_TRUE(device.start(5));
    RawLine line(device.link_path());
    ASSERT_TRUE(line.is_open());
    const Bytes frame = data_frame(9, {3, 0});
    ASSERT_TRUE(line.write(Bytes(frame.begin(), frame.begin() + 10)));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(line.write(frame));
    EXPECT_EQ(line.read(3), (Bytes{0xAA, 0x55, 0x01}));
    const auto frames = device.wait_for_frames(1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].check, FrameCheck::ok);
    ASSERT_TRUE(device.command("state"));
    EXPECT_EQ(device.last_reply(), "connected=0 mode=3 sampling=0");
}

TEST_F(SimDevice, ScriptPutsBytesOnTheLineBeforeItAcknowledges) {
    ASSERT_TRUE(device.start(6));
    RawLine line(device.link_path());
    ASSERT_TRUE(line.is_open());
    ASSERT_TRUE(device.command("send AA 55 01 FF"));
    EXPECT_EQ(line.read(4), (Bytes{0xAA, 0x55, 0x01, 0xFF}));

    Bytes sample(1566);
    for (std::size_t i = 0; i < sample.size(); ++i)
        sample[i] = static_cast<std::uint8_t>(i * 7);
    const std::string path = device.folder() + "/sample.bin";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(sample.data()), static_cast<long>(sample.size()));
    ASSERT_TRUE(device.command("send-file " + path));
    EXPECT_EQ(device.last_reply(), "1566 bytes");
    EXPECT_EQ(line.read(sample.size()), sample);

    ASSERT_TRUE(device.command("end-connected"));
    EXPECT_EQ(line.read(7), Bytes(7, 0));
    EXPECT_FALSE(device.command("send-file " + device.folder() + "/missing.bin"));
    EXPECT_NE(device.last_reply().find("missing.bin"), std::string::npos);
    EXPECT_TRUE(device.command("state")) << "a failed command does not end the program";
}

TEST_F(SimDevice, WaitAndPacingTakeAtLeastTheirTime) {
    ASSERT_TRUE(device.start(8, {"--pace"}));
    RawLine line(device.link_path());
    ASSERT_TRUE(line.is_open());
    auto started = Clock::now();
    ASSERT_TRUE(device.command("wait 300"));
    EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(290));

    // 700 bytes at 38400 baud and 11 bits a byte take about 200 ms.
    started = Clock::now();
    ASSERT_TRUE(device.command("send " + std::string(700 * 2, '5')));
    EXPECT_EQ(line.read(700).size(), 700u);
    EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(180));
}

TEST_F(SimDevice, SleepsWhileIdleAndAfterItsScriptEnds) {
    ASSERT_TRUE(device.start(9));
    RawLine line(device.link_path());
    ASSERT_TRUE(line.is_open());
    ASSERT_TRUE(line.write(Bytes{0xAA, 0x55, 0xAA, 0x55, 0x50})); // a frame that stops coming
    device.end_script();
    const long before = cpu_ticks(device.pid());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    // A loop that spins would use about a whole second (100 ticks).
    EXPECT_LT(cpu_ticks(device.pid()) - before, 20);
    ASSERT_TRUE(line.write(data_frame(12, {})));
    EXPECT_EQ(line.read(3), (Bytes{0xAA, 0x55, 0x01})) << "still answering without a script";
}

// A test program that fails hard (a crash, or killed at its time-out) leaves no simulated
// device running behind it.
TEST_F(SimDevice, EndsWithTheTestProgramThatStartedIt) {
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    const pid_t test_program = ::fork();
    if (test_program == 0) {
        SimulatedDevice orphan;
        pid_t started = orphan.start(6) ? orphan.pid() : -1;
        (void)!::write(pipe_ends[1], &started, sizeof started);
        ::pause(); // until killed: no destructor runs
        ::_exit(0);
    }
    ::close(pipe_ends[1]);
    pid_t device_pid = -1;
    ASSERT_EQ(::read(pipe_ends[0], &device_pid, sizeof device_pid),
              static_cast<ssize_t>(sizeof device_pid));
    ::close(pipe_ends[0]);
    ASSERT_GT(device_pid, 0);
    ::kill(test_program, SIGKILL);
    ::waitpid(test_program, nullptr, 0);
    // Gone, or a zombie that only waits for a parent to collect it.
    const auto running = [device_pid] {
        std::ifstream stat("/proc/" + std::to_string(device_pid) + "/stat");
        std::string pid, name, state;
        return stat >> pid >> name >> state && state != "Z";
    };
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    while (running() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(running());
}
