// Idle CPU of ornivex_control: the program runs with COM1 open on the simulated device and no
// traffic; its processor time over 10 seconds is printed as a share of one core (goal: under
// 0.5 %).
#include "link/traffic_log_option.h"
#include "tests/support/sim_driver.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// User plus system time of process `pid` in clock ticks, or -1.
long long cpu_ticks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return -1;
    // The fields after the command name, which is in parentheses and may hold blanks.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14)
            utime = std::stoll(field);
        if (index == 15) {
            stime = std::stoll(field);
            break;
        }
    }
    return utime + stime;
}

} // namespace

int main(int argc, char** argv) {
    std::string traffic_log_path; // with --traffic-log FILE, the program runs with its log on
    if (!take_traffic_log_option(argc, argv, traffic_log_path) || argc > 1) {
        std::fprintf(stderr, "usage: idle_cpu [--traffic-log FILE]\n");
        return 2;
    }
    ::setenv("VARDEN_SIM", VARDEN_SIM_PROGRAM, 0);
    SimulatedDevice device;
    if (device.start(1) != 1) {
        std::fprintf(stderr, "idle_cpu: varden_sim did not start (set VARDEN_SIM)\n");
        return 1;
    }
    const pid_t control = ::fork();
    if (control == 0) {
        if (::chdir(device.folder().c_str()) != 0)
            ::_exit(127);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (std::freopen("/dev/null", "w", stderr) == nullptr)
            ::_exit(127);
        if (traffic_log_path.empty())
            ::execl(ORNIVEX_CONTROL, ORNIVEX_CONTROL, static_cast<char*>(nullptr));
        else
            ::execl(ORNIVEX_CONTROL, ORNIVEX_CONTROL, "--traffic-log", traffic_log_path.c_str(),
                    static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::this_thread::sleep_for(2s); // start-up
    const long long ticks_before = cpu_ticks(control);
    const auto wall_before = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(10s);
    const long long ticks_after = cpu_ticks(control);
    const double wall_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_before).count();
    ::kill(control, SIGKILL);
    ::waitpid(control, nullptr, 0);
    if (ticks_before < 0 || ticks_after < 0) {
        std::fprintf(stderr, "idle_cpu: ornivex_control did not keep running\n");
        return 1;
    }
    const double cpu_seconds = static_cast<double>(ticks_after - ticks_before) /
                               static_cast<double>(::sysconf(_SC_CLK_TCK));
    std::printf(
        "idle CPU of ornivex_control%s: %.3f s in %.1f s = %.2f %% of one core (goal < 0.5 %%)\n",
        traffic_log_path.empty() ? "" : " with the traffic log on", cpu_seconds, wall_seconds,
        100.0 * cpu_seconds / wall_seconds);
    return 0;
}
