// The serial layer and the command exchange against the simulated device over a real
// pseudo-terminal.
#include "formats/frames.h"
#include "link/commands.h"
#include "link/serial_port.h"
#include "tests/support/sim_driver.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int port = 3;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double process_cpu_seconds() {
    timespec used{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

// Whether the terminal behind `path` carries the exclusive flag (-1 when it cannot be opened:
// for a normal user, a terminal whose flag is set).
int exclusive_flag(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int exclusive = -1;
    if (fd >= 0 && ::ioctl(fd, TIOCGEXCL, &exclusive) != 0)
        exclusive = -1;
    if (fd >= 0)
        ::close(fd);
    return exclusive;
}

// Puts the terminal into a line-editing mode, as another program's terminal would be, and
// returns those settings.
termios cooked_settings(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios settings{};
    ::tcgetattr(fd, &settings);
    settings.c_lflag |= ECHO | ICANON | ISIG | IEXTEN;
    settings.c_oflag |= OPOST | ONLCR;
    ::cfsetospeed(&settings, B9600);
    ::tcsetattr(fd, TCSANOW, &settings);
    ::close(fd);
    return settings;
}

// ECHO and ICANON of the terminal now.
tcflag_t echo_flags(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios settings{};
    const bool read = fd >= 0 && ::tcgetattr(fd, &settings) == 0;
    if (fd >= 0)
        ::close(fd);
    return read ? settings.c_lflag & (ECHO | ICANON) : ~tcflag_t{0};
}

// ECHO and ICANON of the port held (a normal user cannot open it a second time meanwhile).
tcflag_t held_echo_flags() {
    termios settings{};
    if (::tcgetattr(current_port_descriptor(), &settings) != 0)
        return ~tcflag_t{0};
    return settings.c_lflag & (ECHO | ICANON);
}

// A process id that no process has (a child that has ended and been reaped).
pid_t dead_pid() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// Another process that keeps the terminal open while the object lives.
class OtherHolder {
public:
    explicit OtherHolder(const std::string& path) {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            [[maybe_unused]] const ssize_t sent = ::write(ready[1], fd >= 0 ? "1" : "0", 1);
            ::pause();
            ::_exit(0);
        }
        char answer = 0;
        ::close(ready[1]);
        [[maybe_unused]] const ssize_t got = ::read(ready[0], &answer, 1);
        ::close(ready[0]);
        EXPECT_EQ(answer, '1');
    }
    ~OtherHolder() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

private:
    pid_t pid_ = -1;
};

void interrupt_once(int) {}

// Stops `pid` (SIGSTOP) and waits until it stands still.
bool stop_process(pid_t pid) {
    if (::kill(pid, SIGSTOP) != 0)
        return false;
    for (int tries = 0; tries < 200; ++tries) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string number, name, state;
        if (stat >> number >> name >> state && state == "T")
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Waits (without reading) until a byte is waiting on the current port.
bool byte_waiting(int timeout_ms) {
    pollfd watched{current_port_descriptor(), POLLIN, 0};
    return ::poll(&watched, 1, timeout_ms) == 1;
}

class LinkOverSim : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device.start(port));
        folder = std::make_unique<WorkingFolder>(device.folder());
    }
    void TearDown() override { close_all_ports(); }

    void open_current() { ASSERT_EQ(open_port(port), 1); }

    SimulatedDevice device;
    std::unique_ptr<WorkingFolder> folder;
};

} // namespace

TEST_F(LinkOverSim, AcknowledgementsAreDecodedByteForByte) {
    open_current();
    EXPECT_EQ(send_command(command_connect), 1);
    ASSERT_TRUE(device.command("result 12 4"));
    EXPECT_EQ(send_command(command_connect), 4);
    EXPECT_STREQ(command_result_text(4), "COM-bufer of ZELK is full");
    ASSERT_TRUE(device.command("result 12 255"));
    EXPECT_EQ(send_command(command_connect), 255) << "a device code 255 is not 'no answer'";
    ASSERT_TRUE(device.command("broken 12"));
    EXPECT_EQ(send_command(command_connect), -1) << "AA AA 55 01: no resynchronisation";
    ASSERT_TRUE(device.command("broken 12 0"));
    EXPECT_EQ(send_command(command_connect), -1) << "AA 00 01";
    EXPECT_STREQ(command_result_text(-1), "Error connection");
}

TEST_F(LinkOverSim, UpToNinetyNineStrayBytesBeforeTheStartAreSkipped) {
    open_current();
    ASSERT_TRUE(device.command("stray 12 99"));
    EXPECT_EQ(send_command(command_connect), 1);
    ASSERT_TRUE(device.command("stray 12 100"));
    EXPECT_EQ(send_command(command_connect), -1) << "the 0xAA is the 101st byte";
    ASSERT_TRUE(device.command("reset"));
    EXPECT_EQ(send_command(command_connect), 1) << "the rest of the last answer was purged";
}

TEST_F(LinkOverSim, SilentLineGivesNoAcknowledgementAfterAboutASecond) {
    open_current();
    ASSERT_TRUE(device.command("silent 12"));
    const auto start = Clock::now();
    EXPECT_EQ(send_command(command_connect), -1);
    EXPECT_GE(seconds_since(start), 0.9);
}

TEST_F(LinkOverSim, ByteReadsReturnWaitingBytesAndFFAs255) {
    open_current();
    ASSERT_TRUE(device.command("send 5A FF"));
    ASSERT_TRUE(byte_waiting(2000));
    EXPECT_EQ(read_byte_within(0), 0x5A) << "a zero budget still makes one read";
    EXPECT_EQ(read_byte_within(100), 255);
    EXPECT_EQ(read_byte_now(), -1);
    EXPECT_EQ(read_byte_within(0), -1);
}

TEST_F(LinkOverSim, RetriesStopAtTheFirstSuccessAndReportTheThirdFailure) {
    open_current();
    ASSERT_TRUE(device.command("sequence 12 2 3"));
    EXPECT_EQ(send_command_with_retries(command_connect), 1);
    EXPECT_EQ(device.wait_for_frames(3).size(), 3u);

    ASSERT_TRUE(device.command("sequence 1 2 3 4 1"));
    const int result = send_command_with_retries(command_start_sampling);
    EXPECT_EQ(result, 4);
    EXPECT_STREQ(command_result_text(result), "COM-bufer of ZELK is full");
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // a fourth try would be seen
    EXPECT_EQ(device.frames().size(), 6u);
    ASSERT_TRUE(device.command("state"));
    EXPECT_EQ(device.last_reply(), "connected=1 mode=0 sampling=1");
}

TEST_F(LinkOverSim, DataFramesArriveWithTheirCodeBlockAndPayload) {
    open_current();
    std::vector<std::uint8_t> frame(4 + frame_overhead);
    const std::vector<std::uint8_t> payload = {0x80, 0xFF, 0x00, 0x7F};
    std::copy(payload.begin(), payload.end(), frame.begin() + frame_header_size);
    EXPECT_EQ(send_data(command_image_block, 4, 258, frame.data()), 1);
    std::vector<std::uint8_t> mode(2 + frame_overhead);
    mode[frame_header_size] = 3;
    EXPECT_EQ(send_data(command_mode, 2, 0, mode.data()), 1);

    const auto frames = device.wait_for_frames(2);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].code, command_image_block);
    EXPECT_EQ(frames[0].block, 258);
    EXPECT_EQ(frames[0].check, FrameCheck::ok);
    EXPECT_EQ(frames[0].payload, payload);
    EXPECT_EQ(frames[1].code, command_mode);
    EXPECT_EQ(frames[1].payload, (std::vector<std::uint8_t>{3, 0}));
    ASSERT_TRUE(device.command("state"));
    EXPECT_EQ(device.last_reply(), "connected=0 mode=3 sampling=0");
}

TEST_F(LinkOverSim, SelectingAnInvalidNumberKeepsAndReconfiguresTheCurrentPort) {
    open_current();
    const int fd = current_port_descriptor();
    for (const int number : {0, 31}) {
        termios settings{};
        ASSERT_EQ(::tcgetattr(fd, &settings), 0);
        settings.c_lflag |= ECHO | ICANON;
        ::cfsetospeed(&settings, B9600);
        ASSERT_EQ(::tcsetattr(fd, TCSANOW, &settings), 0);
        select_port(number);
        EXPECT_EQ(current_port_descriptor(), fd) << number;
        ASSERT_EQ(::tcgetattr(fd, &settings), 0);
        EXPECT_EQ(settings.c_lflag & (ECHO | ICANON), 0u) << number;
        EXPECT_EQ(::cfgetospeed(&settings), static_cast<speed_t>(B38400)) << number;
        EXPECT_EQ(send_command(command_connect), 1) << number;
    }
}

// Each way another program can be using a port keeps it out, and the port is not touched:
// its settings stay and no flag is set (a normal user could not open it otherwise).
TEST_F(LinkOverSim, APortInUseElsewhereIsNeitherTakenNorTouched) {
    const std::string path = device.link_path();
    const termios found = cooked_settings(path);
    const auto untouched = [&](const char* how) {
        EXPECT_EQ(open_port(port), 0) << how;
        EXPECT_EQ(echo_flags(path), found.c_lflag & (ECHO | ICANON)) << how;
        EXPECT_EQ(exclusive_flag(path), 0) << how;
    };
    {
        OtherHolder other(path); // another process has it open
        untouched("held open by another process");
    }
    const int holder = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    untouched("advisory lock");
    ::flock(holder, LOCK_UN);
    ::ioctl(holder, TIOCEXCL);
    EXPECT_EQ(open_port(port), 0) << "exclusive flag";
    ::ioctl(holder, TIOCNXCL);
    ::close(holder);

    char real[PATH_MAX];
    ASSERT_NE(::realpath(path.c_str(), real), nullptr);
    std::string lock = "/run/lock/LCK.." + std::string(real).substr(5);
    std::replace(lock.begin() + 10, lock.end(), '/', '_');
    const auto write_lock = [&](pid_t pid) {
        FILE* file = std::fopen(lock.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fprintf(file, "%10d\n", static_cast<int>(pid));
        std::fclose(file);
    };
    write_lock(::getpid());
    untouched("UUCP lock of a live process");
    write_lock(dead_pid());
    open_current(); // a stale lock file keeps nothing out
    std::remove(lock.c_str());
    EXPECT_EQ(held_echo_flags(), 0u);

    // And the other way round: while we hold it, another open with a lock fails.
    const int second = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (second >= 0) { // root passes TIOCEXCL; the lock still keeps it out
        EXPECT_NE(::flock(second, LOCK_EX | LOCK_NB), 0);
        ::close(second);
    } else {
        EXPECT_EQ(errno, EBUSY);
    }
    close_current_port();
    EXPECT_EQ(echo_flags(path), found.c_lflag & (ECHO | ICANON)) << "put back on release";
}

TEST_F(LinkOverSim, DeviceGoingAwayMidExchangeFailsEverythingWithoutSpinning) {
    open_current();
    ASSERT_TRUE(device.command("silent 12"));
    std::thread killer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        device.end_with_signal(SIGKILL);
    });
    EXPECT_EQ(send_command(command_connect), -1);
    killer.join();

    const auto start = Clock::now();
    const double cpu_before = process_cpu_seconds();
    EXPECT_EQ(read_byte_within(200), -1);
    const std::uint8_t frame[] = {1, 2, 3};
    EXPECT_EQ(purge_and_write(frame, sizeof frame), 0);
    EXPECT_EQ(send_command_with_retries(command_connect), -1);
    const double wall = seconds_since(start);
    EXPECT_LT(wall, 10.0);
    // A wait that spins on the hung-up line would burn the whole wait.
    EXPECT_LT(process_cpu_seconds() - cpu_before, 0.5 * wall);
}

// The device stands still while the port closes: it would clear a flag left behind on its own.
TEST_F(LinkOverSim, EveryCloseClearsTheExclusiveFlag) {
    for (void (*close_port)() : {close_current_port, close_all_ports}) {
        open_current();
        EXPECT_NE(exclusive_flag(device.link_path()), 0); // set, or the open is refused for it
        ASSERT_TRUE(stop_process(device.pid()));
        close_port();
        const int flag = exclusive_flag(device.link_path());
        ::kill(device.pid(), SIGCONT);
        EXPECT_EQ(flag, 0);
        EXPECT_EQ(current_port_descriptor(), -1);
    }
    open_current(); // and the port opens again
}

// A program killed while it holds the port cannot clear the flag: the device does, also where
// root (who opens the port in spite of the flag) would not notice it.
TEST_F(LinkOverSim, TheDeviceClearsTheFlagOfAProgramThatWasKilled) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t test_pid = ::getpid();
    const pid_t holder = ::fork();
    if (holder == 0) {
        end_with_parent(test_pid);
        const char opened = open_port(port) == 1 ? 1 : 0;
        (void)!::write(ready[1], &opened, 1);
        ::pause();
        ::_exit(0);
    }
    char opened = 0;
    const bool told = ::read(ready[0], &opened, 1) == 1;
    ::close(ready[0]);
    ::close(ready[1]);
    const int flag_held = exclusive_flag(device.link_path());
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ASSERT_TRUE(told && opened == 1);
    EXPECT_NE(flag_held, 0);

    const auto deadline = Clock::now() + std::chrono::seconds(3);
    int flag = exclusive_flag(device.link_path());
    while (flag != 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        flag = exclusive_flag(device.link_path());
    }
    EXPECT_EQ(flag, 0);
    open_current();
}

// Bytes the device sent before a command, also those that a read has begun to take, are never
// taken as its answer.
TEST_F(LinkOverSim, ASendDiscardsWhatTheDeviceSentBefore) {
    open_current();
    ASSERT_TRUE(device.command("send 33 AA 55 04"));
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    int waiting = 0;
    while ((::ioctl(current_port_descriptor(), FIONREAD, &waiting) != 0 || waiting < 4) &&
           Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(waiting, 4);
    EXPECT_EQ(read_byte_within(100), 0x33);
    EXPECT_EQ(send_command(command_connect), 1) << "the stale AA 55 04 was taken as the answer";
}

// Only the chosen port is held: switching releases the old one as it was found.
TEST_F(LinkOverSim, ASwitchPutsTheOldPortBackAsItWasFound) {
    SimulatedDevice other;
    ASSERT_TRUE(other.start(4));
    std::filesystem::create_symlink(std::filesystem::read_symlink(other.link_path()), "COM4");
    const termios found = cooked_settings(other.link_path());
    select_port(4);
    EXPECT_EQ(held_echo_flags(), 0u) << "the port held is raw";
    select_port(port);
    EXPECT_EQ(send_command(command_connect), 1);
    EXPECT_EQ(exclusive_flag("COM4"), 0);
    termios now{};
    const int fd = ::open("COM4", O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::tcgetattr(fd, &now), 0);
    ::close(fd);
    EXPECT_EQ(now.c_lflag, found.c_lflag);
    EXPECT_EQ(now.c_oflag, found.c_oflag);
    EXPECT_EQ(now.c_iflag, found.c_iflag);
    EXPECT_EQ(::cfgetospeed(&now), ::cfgetospeed(&found));
}

TEST_F(LinkOverSim, ASignalWhileAWriteWaitsForRoomKeepsThePort) {
    open_current();
    struct sigaction interrupt {};
    interrupt.sa_handler = interrupt_once; // without SA_RESTART: waits end with EINTR
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGALRM, &interrupt, &previous), 0);
    // The device stops reading, so the line fills; signals come while the write waits.
    ASSERT_EQ(::kill(device.pid(), SIGSTOP), 0);
    const pthread_t writer = ::pthread_self();
    std::thread resume([this, writer] {
        for (int signals = 0; signals < 10; ++signals) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ::pthread_kill(writer, SIGALRM);
        }
        ::kill(device.pid(), SIGCONT);
    });
    const std::vector<std::uint8_t> block(512 * 1024, 0);
    EXPECT_EQ(purge_and_write(block.data(), block.size()), 1);
    resume.join();
    ::sigaction(SIGALRM, &previous, nullptr);
    EXPECT_GE(current_port_descriptor(), 0);
    EXPECT_EQ(send_command(command_connect), 1);
}

// A device that stops reading: the send fails within its bound instead of hanging, the rest
// of it is discarded and the port stays, so that the next command goes through.
TEST_F(LinkOverSim, ASendThatCannotLeaveFailsWithinItsBoundAndKeepsThePort) {
    open_current();
    ASSERT_EQ(::kill(device.pid(), SIGSTOP), 0);
    const std::vector<std::uint8_t> block(256 * 1024, 0);
    const auto start = Clock::now();
    EXPECT_EQ(purge_and_write(block.data(), block.size()), 0);
    EXPECT_LT(seconds_since(start), 5.0);
    ::kill(device.pid(), SIGCONT);
    EXPECT_GE(current_port_descriptor(), 0);
    EXPECT_EQ(send_command_with_retries(command_connect), 1);
}

TEST_F(LinkOverSim, AnAnswerCountsUntilTheEndOfTheSecond) {
    open_current();
    ASSERT_TRUE(device.command("delay 12 900"));
    EXPECT_EQ(send_command(command_connect), 1);
    ASSERT_TRUE(device.command("delay 12 1100"));
    EXPECT_EQ(send_command(command_connect), -1);
    ASSERT_TRUE(device.command("reset"));
    EXPECT_EQ(send_command(command_connect), 1) << "the late answer was purged";
}
