// Timing of a database download of 158 image blocks over a line at 38400 baud, against the
// wire time of every byte exchanged (goal: within 5 %), also with a traffic log on
// (bench_download --traffic-log FILE).
// The program's COM1 reaches the device's COM2 over the paced line of bench/paced_line.h.
#include "bench/paced_line.h"
#include "database/download_sender.h"
#include "link/commands.h"
#include "link/device_exchange.h"
#include "link/serial_port.h"
#include "link/traffic_log.h"
#include "link/traffic_log_option.h"
#include "tests/database/block_plan.h"
#include "tests/support/sim_driver.h"
#include "varden_version.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr int program_port = 1;
constexpr int device_port = 2;

void print_error(const std::string& text) {
    std::fprintf(stderr, "bench_download: %s\n", text.c_str());
}

} // namespace

int main(int argc, char** argv) {
    std::string traffic_log_path;
    if (!take_traffic_log_option(argc, argv, traffic_log_path) || argc > 1) {
        print_error("usage: bench_download [--traffic-log FILE]");
        return 2;
    }
    if (!traffic_log_path.empty() &&
        !start_traffic_log(traffic_log_path, "bench_download", varden_version)) {
        print_error("cannot write " + traffic_log_path);
        return 1;
    }
    SimulatedDevice device;
    if (!device.start(device_port, {"--pace"})) {
        print_error("cannot start " + sim_program());
        return 1;
    }
    Relay relay;
    relay.program_side = open_linked_terminal(device.folder() + "/COM1");
    relay.device_side = open_raw(device.link_path());
    if (relay.program_side < 0 || relay.device_side < 0) {
        print_error("cannot set up the paced line");
        return 1;
    }
    WorkingFolder folder(device.folder());
    if (open_port(program_port) != 1) {
        print_error("cannot open COM1");
        return 1;
    }
    std::thread relay_thread(run_relay, std::ref(relay));

    // What the device receives in a download of a full database.
    const DownloadPlan plan = block_plan(max_image_blocks);
    const DeviceExchange exchange =
        link_exchange([] {},
                      [](int result) {
                          if (const char* text = command_result_text(result))
                              print_error(text);
                      },
                      print_error, [](const std::string&) {});
    const auto start = Clock::now();
    const DownloadOutcome outcome = send_download_plan(plan, exchange);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    relay.stop = true;
    relay_thread.join();
    close_current_port();
    if (outcome.result != 1) {
        print_error("the download failed");
        return 1;
    }
    device.command("database-state");
    const std::size_t bytes = relay.to_device + relay.to_program;
    const double wire_seconds = static_cast<double>(bytes) / line_bytes_per_second;
    std::printf("download of %d blocks%s: %.2f s; wire time of the %zu bytes exchanged at 38400 "
                "baud: %.2f s; ratio %.3f (goal within 5 %%); device: %s\n",
                plan.block_count, traffic_log_on() ? " with the traffic log on" : "", seconds,
                bytes, wire_seconds, seconds / wire_seconds, device.last_reply().c_str());
    return 0;
}
