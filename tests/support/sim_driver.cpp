#include "tests/support/sim_driver.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Child {
    pid_t pid = -1;
    int input = -1;  // its standard input
    int output = -1; // its standard output or error, as asked
};

int remaining_ms(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

void close_fd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

void end_with_parent(pid_t parent) {
    // SIGTERM lets the simulator remove its link; a test that fails, crashes or is killed at
    // its time-out leaves nothing running.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        ::_exit(127);
}

namespace {

// Starts the simulator in `folder` with `args`; its standard input and either its standard
// output or its standard error come back as pipes.
Child spawn(const std::string& folder, const std::vector<std::string>& args, int captured_fd) {
    Child child;
    // A device that ended must not take the test with it when a line is written to it.
    std::signal(SIGPIPE, SIG_IGN);
    // Absolute, because the child changes its working folder before it starts the program.
    std::error_code ignored;
    const std::string program =
        sim_program().empty() ? "" : std::filesystem::absolute(sim_program(), ignored).string();
    int input[2];
    int output[2];
    if (program.empty() || ::pipe2(input, O_CLOEXEC) != 0)
        return child;
    if (::pipe2(output, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        return child;
    }
    std::vector<std::string> argv_text = {program};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argv_text)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t test_pid = ::getpid();
    child.pid = ::fork();
    if (child.pid == 0) {
        end_with_parent(test_pid);
        ::dup2(input[0], STDIN_FILENO);
        ::dup2(output[1], captured_fd);
        if (::chdir(folder.c_str()) == 0)
            ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(input[0]);
    ::close(output[1]);
    child.input = input[1];
    child.output = output[0];
    if (child.pid < 0) {
        close_fd(child.input);
        close_fd(child.output);
    }
    return child;
}

// Waits for the child's end within the deadline. Returns its exit status (128 + signal), or
// -1 when it is still running.
int reap(pid_t pid, Clock::time_point deadline) {
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (done < 0 || Clock::now() >= deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void kill_and_reap(pid_t pid) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

} // namespace

std::string sim_program() {
    const char* path = std::getenv("VARDEN_SIM");
    return path && *path ? path : VARDEN_SIM_BUILT;
}

std::string make_temp_folder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/varden_sim_XXXXXX";
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

SimulatedDevice::~SimulatedDevice() {
    if (pid_ > 0)
        kill_and_reap(pid_);
    close_fd(to_device_);
    close_fd(from_device_);
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

int SimulatedDevice::start(int port, const std::vector<std::string>& extra_args) {
    if (pid_ > 0)
        return 0;
    if (folder_.empty())
        folder_ = make_temp_folder();
    if (folder_.empty())
        return 0;
    port_ = port;
    received_.clear();
    std::vector<std::string> args = {"--dir", folder_, "--port", std::to_string(port)};
    args.insert(args.end(), extra_args.begin(), extra_args.end());
    const Child child = spawn(folder_, args, STDOUT_FILENO);
    if (child.pid < 0)
        return 0;
    pid_ = child.pid;
    to_device_ = child.input;
    from_device_ = child.output;
    std::string line;
    return read_line(line, 5000) && line == "ready COM" + std::to_string(port);
}

int SimulatedDevice::command(const std::string& line, int timeout_ms) {
    last_reply_.clear();
    if (to_device_ < 0)
        return 0;
    const std::string text = line + "\n";
    if (::write(to_device_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        return 0;
    std::string reply;
    if (!read_line(reply, timeout_ms))
        return 0;
    const std::size_t blank = reply.find(' ');
    const std::string first = reply.substr(0, blank);
    last_reply_ = blank == std::string::npos ? "" : reply.substr(blank + 1);
    return first == "ok";
}

int SimulatedDevice::read_line(std::string& line, int timeout_ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        const std::size_t end = received_.find('\n');
        if (end != std::string::npos) {
            line = received_.substr(0, end);
            received_.erase(0, end + 1);
            return 1;
        }
        pollfd watched{from_device_, POLLIN, 0};
        if (from_device_ < 0 || ::poll(&watched, 1, remaining_ms(deadline)) <= 0)
            return 0;
        char chunk[4096];
        const ssize_t got = ::read(from_device_, chunk, sizeof chunk);
        if (got <= 0) {
            close_fd(from_device_);
            return 0;
        }
        received_.append(chunk, static_cast<std::size_t>(got));
    }
}

std::vector<RecordedFrame> SimulatedDevice::frames() const {
    std::vector<RecordedFrame> recorded;
    std::ifstream record(record_path());
    std::string line;
    RecordedFrame frame;
    while (std::getline(record, line))
        if (parse_frame_record(line, frame))
            recorded.push_back(frame);
    return recorded;
}

std::vector<RecordedFrame> SimulatedDevice::wait_for_frames(std::size_t count,
                                                            int timeout_ms) const {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        auto recorded = frames();
        if (recorded.size() >= count || Clock::now() >= deadline)
            return recorded;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void SimulatedDevice::end_script() {
    close_fd(to_device_);
}

int SimulatedDevice::stop(int timeout_ms) {
    if (pid_ <= 0)
        return -1;
    command("quit", timeout_ms);
    close_fd(to_device_);
    return wait_for_exit(timeout_ms);
}

int SimulatedDevice::end_with_signal(int signal, int timeout_ms) {
    if (pid_ <= 0)
        return -1;
    ::kill(pid_, signal);
    return wait_for_exit(timeout_ms);
}

int SimulatedDevice::wait_for_exit(int timeout_ms) {
    const int status = reap(pid_, Clock::now() + std::chrono::milliseconds(timeout_ms));
    if (status < 0)
        kill_and_reap(pid_);
    pid_ = -1;
    close_fd(to_device_);
    close_fd(from_device_);
    return status;
}

std::string SimulatedDevice::link_path() const {
    return folder_ + "/COM" + std::to_string(port_);
}

int run_sim_to_end(const std::vector<std::string>& args, const std::string& script,
                   std::string& errors, int timeout_ms) {
    errors.clear();
    const std::string folder = make_temp_folder();
    Child child = folder.empty() ? Child{} : spawn(folder, args, STDERR_FILENO);
    int status = -1;
    if (child.pid > 0) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
        if (!script.empty() && ::write(child.input, script.data(), script.size()) < 0)
            errors = "cannot write the script";
        close_fd(child.input);
        pollfd watched{child.output, POLLIN, 0};
        char chunk[4096];
        ssize_t got = 0;
        while (::poll(&watched, 1, remaining_ms(deadline)) > 0 &&
               (got = ::read(child.output, chunk, sizeof chunk)) > 0)
            errors.append(chunk, static_cast<std::size_t>(got));
        close_fd(child.output);
        status = reap(child.pid, deadline);
        if (status < 0)
            kill_and_reap(child.pid);
    }
    if (!folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    return status;
}

WorkingFolder::WorkingFolder(const std::string& folder) {
    std::error_code ignored;
    previous_ = std::filesystem::current_path(ignored).string();
    std::filesystem::current_path(folder, ignored);
}

WorkingFolder::~WorkingFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}
