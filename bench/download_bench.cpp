// Timing of a database download of 158 image blocks over a line at 38400 baud, against the
// wire time of every byte exchanged (goal: within 5 %), also with a traffic log on
// (bench_download --traffic-log FILE).
//
// varden_sim --pace sends at the line's pace, but what the program writes crosses the
// pseudo-terminal at once. So the program's port COM1 is a pseudo-terminal of this benchmark,
// and a relay thread hands its bytes on to the device's COM2 at the line's pace: both
// directions then take the time a real line takes.
#include "database/download_sender.h"
#include "link/commands.h"
#include "link/device_exchange.h"
#include "link/serial_port.h"
#include "link/traffic_log.h"
#include "link/traffic_log_option.h"
#include "tests/database/block_plan.h"
#include "tests/support/sim_driver.h"
#include "varden_version.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
// 38400 baud, 11 bits a byte (start, 8 data, 2 stop).
constexpr double line_bytes_per_second = 38400.0 / 11.0;
constexpr int program_port = 1;
constexpr int device_port = 2;

struct Relay {
    int program_side = -1; // master of the pseudo-terminal linked as COM1
    int device_side = -1;  // the device's COM2
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> to_device{0};
    std::atomic<std::size_t> to_program{0};
};

// Program to device at the line's pace (the clock starts when bytes wait after a pause);
// device to program as it comes, the device paces itself.
void run_relay(Relay& relay) {
    std::deque<std::uint8_t> waiting;
    Clock::time_point origin;
    std::size_t sent = 0;
    std::uint8_t chunk[4096];
    while (!relay.stop) {
        int timeout_ms = 20;
        if (!waiting.empty()) {
            const double elapsed = std::chrono::duration<double>(Clock::now() - origin).count();
            const auto due = static_cast<std::size_t>(elapsed * line_bytes_per_second) + 1;
            std::size_t count = due > sent ? std::min(due - sent, waiting.size()) : 0;
            count = std::min(count, sizeof chunk);
            std::copy_n(waiting.begin(), count, chunk);
            const ssize_t written = count > 0 ? ::write(relay.device_side, chunk, count) : 0;
            if (written > 0) {
                waiting.erase(waiting.begin(), waiting.begin() + written);
                sent += static_cast<std::size_t>(written);
                relay.to_device += static_cast<std::size_t>(written);
            }
            timeout_ms = 1;
        }
        pollfd watched[2] = {{relay.program_side, POLLIN, 0}, {relay.device_side, POLLIN, 0}};
        if (::poll(watched, 2, timeout_ms) <= 0)
            continue;
        if (watched[0].revents & POLLIN) {
            const ssize_t got = ::read(relay.program_side, chunk, sizeof chunk);
            if (got > 0) {
                if (waiting.empty()) {
                    origin = Clock::now();
                    sent = 0;
                }
                waiting.insert(waiting.end(), chunk, chunk + got);
            }
        }
        if (watched[1].revents & POLLIN) {
            const ssize_t got = ::read(relay.device_side, chunk, sizeof chunk);
            if (got > 0 && ::write(relay.program_side, chunk, static_cast<std::size_t>(got)) == got)
                relay.to_program += static_cast<std::size_t>(got);
        }
    }
}

// A pseudo-terminal whose slave is linked as `link`; returns its master, or -1.
int open_linked_terminal(const std::string& link) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return -1;
    const char* slave = ::ptsname(master);
    if (!slave || ::symlink(slave, link.c_str()) != 0)
        return -1;
    return master;
}

int open_raw(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios settings{};
    if (fd < 0 || ::tcgetattr(fd, &settings) != 0)
        return -1;
    ::cfmakeraw(&settings);
    return ::tcsetattr(fd, TCSANOW, &settings) == 0 ? fd : -1;
}

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
