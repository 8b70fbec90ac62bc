// CPU of ornivex_control, all its threads, against the simulated device on COM1: idle (its
// processor time over 10 seconds with no traffic, goal 0.00 %), and per memory dump the device
// sends, at pseudo-terminal speed (goal at most 3 ms of CPU a dump) and paced at 38400 baud (goal
// at most 1 % of a core and 1000 wake-ups a dump). ORNIVEX_CONTROL names another build of the
// program to measure.
#include "link/traffic_log_option.h"
#include "tests/support/sim_driver.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

using Clock = std::chrono::steady_clock;

// The threads of process `pid`: Qt draws large fills on helper threads, whose time and
// wake-ups are the program's too.
std::vector<std::filesystem::path> threads_of(pid_t pid) {
    std::vector<std::filesystem::path> threads;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error))
        threads.push_back(entry.path());
    return threads;
}

// Processor time of process `pid` in seconds, all its threads (from their scheduler
// statistics), or -1.
double cpu_seconds(pid_t pid) {
    long long total = 0;
    bool any = false;
    for (const auto& thread : threads_of(pid)) {
        std::ifstream stat(thread / "schedstat");
        long long ns = 0;
        if (stat >> ns) {
            total += ns;
            any = true;
        }
    }
    return any ? static_cast<double>(total) / 1e9 : -1.0;
}

// Times the threads of process `pid` went to sleep and were woken (voluntary context
// switches), or -1.
long long wake_ups(pid_t pid) {
    long long total = -1;
    for (const auto& thread : threads_of(pid)) {
        std::ifstream status(thread / "status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
                total = std::max(total, 0LL) + std::stoll(line.substr(line.find(':') + 1));
    }
    return total;
}

std::size_t dump_files(const std::string& folder) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        count += entry.path().extension() == ".ram";
    return count;
}

pid_t start_control(const std::string& folder, const std::string& traffic_log_path) {
    const char* program = std::getenv("ORNIVEX_CONTROL");
    if (!program)
        program = ORNIVEX_CONTROL;
    const pid_t control = ::fork();
    if (control == 0) {
        if (::chdir(folder.c_str()) != 0)
            ::_exit(127);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (std::freopen("/dev/null", "w", stderr) == nullptr)
            ::_exit(127);
        if (traffic_log_path.empty())
            ::execl(program, program, static_cast<char*>(nullptr));
        else
            ::execl(program, program, "--traffic-log", traffic_log_path.c_str(),
                    static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::seconds(2)); // start-up
    return control;
}

void end_control(pid_t control) {
    ::kill(control, SIGKILL);
    ::waitpid(control, nullptr, 0);
}

// `dumps` memory dumps from the device, one after the other (each once the program has stored
// the one before): CPU, wake-ups and wall time per dump.
bool measure_dumps(SimulatedDevice& device, pid_t control, int dumps, const char* what) {
    const double cpu_before = cpu_seconds(control);
    const long long wakes_before = wake_ups(control);
    const auto start = Clock::now();
    for (int dump = 1; dump <= dumps; ++dump) {
        if (!device.command("send-dump kind=2 side=1 name=USD", 30000))
            return false;
        const auto limit = Clock::now() + std::chrono::seconds(30);
        while (dump_files(device.folder()) < static_cast<std::size_t>(dump)) {
            if (Clock::now() > limit)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = cpu_seconds(control) - cpu_before;
    const long long wakes = wake_ups(control) - wakes_before;
    std::printf("%s: %.2f ms CPU and %.0f wake-ups a dump, %.2f %% of one core over %.1f s\n", what,
                1000.0 * cpu / dumps, static_cast<double>(wakes) / dumps, 100.0 * cpu / wall, wall);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string traffic_log_path; // with --traffic-log FILE, the program runs with its log on
    if (!take_traffic_log_option(argc, argv, traffic_log_path) || argc > 1) {
        std::fprintf(stderr, "usage: control_cpu [--traffic-log FILE]\n");
        return 2;
    }
    ::setenv("VARDEN_SIM", VARDEN_SIM_PROGRAM, 0);
    SimulatedDevice device;
    if (device.start(1) != 1) {
        std::fprintf(stderr, "control_cpu: varden_sim did not start (set VARDEN_SIM)\n");
        return 1;
    }
    pid_t control = start_control(device.folder(), traffic_log_path);
    const double cpu_before = cpu_seconds(control);
    const auto wall_before = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double idle_cpu = cpu_seconds(control) - cpu_before;
    const double wall_seconds = std::chrono::duration<double>(Clock::now() - wall_before).count();
    if (cpu_before < 0 || idle_cpu < 0) {
        std::fprintf(stderr, "control_cpu: ornivex_control did not keep running\n");
        end_control(control);
        return 1;
    }
    std::printf("idle CPU of ornivex_control%s: %.4f s in %.1f s = %.2f %% of one core (goal "
                "0.00 %%)\n",
                traffic_log_path.empty() ? "" : " with the traffic log on", idle_cpu, wall_seconds,
                100.0 * idle_cpu / wall_seconds);
    bool measured = measure_dumps(device, control, 50,
                                  "dumps at pseudo-terminal speed (goal "
                                  "<= 3 ms a dump)");
    end_control(control);
    device.stop();

    SimulatedDevice paced;
    if (!measured || paced.start(1, {"--pace"}) != 1) {
        std::fprintf(stderr, "control_cpu: the dumps did not arrive\n");
        return 1;
    }
    control = start_control(paced.folder(), traffic_log_path);
    measured = measure_dumps(paced, control, 4,
                             "dumps at 38400 baud (goal <= 1 % of a core, "
                             "<= 1000 wake-ups a dump)");
    end_control(control);
    if (!measured) {
        std::fprintf(stderr, "control_cpu: the paced dumps did not arrive\n");
        return 1;
    }
    return 0;
}
