#include "tests/e2e/e2e_support.h"

#include "tests/support/sim_driver.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

std::string find_program(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

bool exists(const std::string& path) {
    struct stat entry {};
    return ::stat(path.c_str(), &entry) == 0;
}

pid_t spawn(const std::vector<std::string>& argv, const std::string& folder,
            const std::string& display, bool quiet) {
    const pid_t test_pid = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    end_with_parent(test_pid);
    if (!folder.empty() && ::chdir(folder.c_str()) != 0)
        ::_exit(127);
    ::setenv("DISPLAY", display.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    if (quiet) {
        if (std::freopen("/dev/null", "w", stdout) == nullptr ||
            std::freopen("/dev/null", "w", stderr) == nullptr)
            ::_exit(127);
    }
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
}

int status_into_a_closed_pipe(const std::vector<std::string>& argv) {
    int ends[2];
    if (::pipe(ends) != 0)
        return -1;
    ::close(ends[0]);
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        if (::dup2(ends[1], STDOUT_FILENO) >= 0 && std::freopen("/dev/null", "w", stderr))
            ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(ends[1]);
    int status = -1;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid ? status : -1;
}

std::string run_for_output(const std::vector<std::string>& argv, const std::string& display) {
    int out[2];
    if (::pipe(out) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::setenv("DISPLAY", display.c_str(), 1);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    std::string text;
    char buffer[256];
    ssize_t got = 0;
    while ((got = ::read(out[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return text.substr(0, text.find('\n'));
}

int end_process(pid_t pid) {
    if (pid <= 0)
        return -1;
    ::kill(pid, SIGTERM);
    int status = 0;
    // A program whose device is gone spends about a second on each unanswered command of its
    // exit sequence (five in all) before it ends.
    for (int tries = 0; tries < 150; ++tries) {
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return status;
        std::this_thread::sleep_for(100ms);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return status;
}

void ControlOnVirtualScreen::TearDown() {
    // SIGTERM closes the program as the window does, with status 0. In the sanitizer build a
    // report (a leak found at exit, an error) ends it with another status.
    if (control_pid > 0) {
        const int status = end_process(control_pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "ornivex_control ended with wait status " << status;
    }
    end_process(xvfb_pid);
}

void ControlOnVirtualScreen::start_screen() {
    const std::string xvfb = find_program("Xvfb");
    xdotool = find_program("xdotool");
    xwd = find_program("xwd");
    ASSERT_FALSE(xvfb.empty()) << "Xvfb is not installed (Debian package xvfb)";
    ASSERT_FALSE(xdotool.empty()) << "xdotool is not installed (Debian package xdotool)";
    ASSERT_FALSE(xwd.empty()) << "xwd is not installed (Debian package x11-apps)";
    ASSERT_TRUE(exists(ORNIVEX_CONTROL)) << ORNIVEX_CONTROL << " is not built";
    for (int number = 90; number < 190 && display.empty(); ++number) {
        const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        if (exists(lock) || exists(socket))
            continue;
        const std::string candidate = ":" + std::to_string(number);
        xvfb_pid = spawn({xvfb, candidate, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, "",
                         candidate, true);
        for (int tries = 0; tries < 100 && !exists(socket); ++tries)
            std::this_thread::sleep_for(50ms);
        if (exists(socket)) {
            display = candidate;
        } else {
            end_process(xvfb_pid); // another server took the number meanwhile
            xvfb_pid = -1;
        }
    }
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
}

void ControlOnVirtualScreen::start_control(const std::string& folder,
                                           const std::vector<std::string>& args,
                                           bool hang_up_ignored) {
    std::vector<std::string> argv = {ORNIVEX_CONTROL};
    if (hang_up_ignored)
        argv.insert(argv.begin(), "/usr/bin/nohup");
    argv.insert(argv.end(), args.begin(), args.end());
    control_pid = spawn(argv, folder, display, false);
    ASSERT_GT(control_pid, 0);
    window.clear(); // a test may start the program again
    for (int tries = 0; tries < 100 && window.empty(); ++tries) {
        std::this_thread::sleep_for(100ms);
        window = run_for_output(
            {xdotool, "search", "--onlyvisible", "--name", "ORNIVEX VARDEN CONTROL"}, display);
    }
    ASSERT_FALSE(window.empty()) << "the window did not appear";
    std::this_thread::sleep_for(500ms); // the window is shown; let start-up finish
}

void ControlOnVirtualScreen::click(int x, int y) {
    run_for_output({xdotool, "mousemove", "--window", window, std::to_string(x), std::to_string(y),
                    "click", "1"},
                   display);
    std::this_thread::sleep_for(300ms);
}

bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}
