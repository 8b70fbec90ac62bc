// Helpers of the end-to-end tests: a virtual X server, the real programs started in a folder
// on it, and xdotool to find the window and click in it. Every wait is bounded.
#pragma once

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/types.h>
#include <vector>

// The full path of `name` found on PATH, or empty.
std::string find_program(const std::string& name);

bool exists(const std::string& path);

// Starts `argv` in `folder` with DISPLAY set; returns the process id, or -1.
pid_t spawn(const std::vector<std::string>& argv, const std::string& folder,
            const std::string& display, bool quiet);

// Runs a short command to its end and returns its standard output (first line).
std::string run_for_output(const std::vector<std::string>& argv, const std::string& display);

// Runs `argv` to its end with its standard output a pipe whose reader is gone and returns its
// wait status: a program that dies of SIGPIPE shows as signalled.
int status_into_a_closed_pipe(const std::vector<std::string>& argv);

// Ends a started process: SIGTERM, then SIGKILL after fifteen seconds. Returns its wait status, or
// -1 without a process.
int end_process(pid_t pid);

// Checks `done` every 100 ms until it holds (true) or `limit` has passed (false).
bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds limit);

class ControlOnVirtualScreen : public ::testing::Test {
protected:
    void TearDown() override;

    // Finds Xvfb, xdotool and xwd and starts Xvfb on the first free display number from 90 on;
    // a missing program is a fatal failure of the test.
    void start_screen();

    // Starts ornivex_control in `folder` on the screen and waits up to ten seconds for its
    // window, then lets its start-up finish.
    // `args` follow the program's name; `hang_up_ignored` starts it as nohup does.
    void start_control(const std::string& folder, const std::vector<std::string>& args = {},
                       bool hang_up_ignored = false);

    // Clicks at (x, y) of the window's client area and gives the program a moment to act.
    void click(int x, int y);

    std::string xdotool;
    std::string xwd;
    std::string display;
    std::string window;
    pid_t xvfb_pid = -1;
    pid_t control_pid = -1;
};
