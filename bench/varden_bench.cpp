// Timing of `varden download` of a full database into four simulated devices at once against
// the download into one, every device on a line paced at 38400 baud (bench/paced_line.h).
// Goal: the four within 1.1 x the time of the one.
#include "bench/full_database.h"
#include "bench/paced_line.h"
#include "tests/support/sim_driver.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/wait.h>
#include <thread>

namespace {

constexpr int devices = 4;
constexpr int banknotes = 28;
constexpr int files_per_side = 3;

void print_error(const std::string& text) {
    std::fprintf(stderr, "bench_varden: %s\n", text.c_str());
}

// Runs varden in `folder` with `args`; its exit status, and the seconds it took.
int run_varden(const std::string& folder, const std::string& args, double& seconds) {
    const std::string command = std::string(VARDEN_PROGRAM) + " -C " + folder + " " + args;
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

} // namespace

int main() {
    const std::string folder = make_temp_folder();
    std::array<SimulatedDevice, devices> device;
    std::array<Relay, devices> relay;
    std::vector<std::thread> relays;
    for (int i = 0; i < devices; ++i) {
        if (!device[i].start(11 + i, {"--pace"})) {
            print_error("cannot start " + sim_program());
            return 1;
        }
        relay[i].program_side = open_linked_terminal(folder + "/COM" + std::to_string(i + 1));
        relay[i].device_side = open_raw(device[i].link_path());
        if (relay[i].program_side < 0 || relay[i].device_side < 0) {
            print_error("cannot set up the paced lines");
            return 1;
        }
        relays.emplace_back(run_relay, std::ref(relay[i]));
    }
    const DbRows rows = write_full_database_samples(folder, banknotes, files_per_side);
    std::string message;
    double make_seconds = 0, one_seconds = 0, four_seconds = 0;
    int status = save_description(path_in(folder, "FULL.dnl"), "FULL.dnl", rows, 0, {}, message)
                     ? run_varden(folder, "--quiet make FULL.dnl", make_seconds)
                     : 1;
    if (status == 0)
        status = run_varden(folder, "--quiet download FULL.dnl --port 1", one_seconds);
    if (status == 0)
        status = run_varden(folder, "--quiet download FULL.dnl --port 1 --port 2 --port 3 --port 4",
                            four_seconds);
    for (Relay& each : relay)
        each.stop = true;
    for (std::thread& each : relays)
        each.join();
    std::string states;
    for (SimulatedDevice& each : device) {
        each.command("database-state");
        states += "\n  " + each.last_reply();
    }
    std::filesystem::remove_all(folder);
    if (status != 0) {
        print_error("varden failed");
        return 1;
    }
    std::printf("make of %d sides: %.2f s\n"
                "download into one device: %.2f s; into four at once: %.2f s; ratio %.3f (goal "
                "at most 1.1)\ndevices:%s\n",
                banknotes * 4, make_seconds, one_seconds, four_seconds, four_seconds / one_seconds,
                states.c_str());
    return four_seconds <= 1.1 * one_seconds ? 0 : 1;
}
