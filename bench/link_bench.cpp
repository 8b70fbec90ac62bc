// Timings of the device link against the simulated device:
//  1. the CPU time used while an acknowledgement that never comes is awaited, as a share of
//     the wall time (the waits sleep in poll(); goal under 2 %);
//  2. the time of one command exchange beyond the device's own answer time, taken as the
//     round trip of the same frame written and answered on the bare line.
#include "formats/frames.h"
#include "link/commands.h"
#include "link/serial_port.h"
#include "tests/support/sim_driver.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int port = 1;
constexpr int exchanges = 300;

double cpu_seconds() {
    timespec used{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// CPU share of a wait for an acknowledgement that never comes.
template <typename Wait> double cpu_share_of(Wait wait) {
    const double cpu = cpu_seconds();
    const auto start = Clock::now();
    wait();
    return (cpu_seconds() - cpu) / seconds_since(start);
}

// Seconds of one frame written and its three answer bytes read on the bare line, without the
// link's purge, byte waits and decoding: what the line and the device take by themselves.
double bare_round_trip(int fd) {
    const auto frame = command_frame(command_connect);
    const auto start = Clock::now();
    if (::write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size()))
        return -1;
    std::size_t got = 0;
    std::uint8_t answer[3];
    pollfd watched{fd, POLLIN, 0};
    while (got < sizeof answer && ::poll(&watched, 1, 1000) == 1) {
        const ssize_t n = ::read(fd, answer + got, sizeof answer - got);
        if (n > 0)
            got += static_cast<std::size_t>(n);
    }
    return got == sizeof answer ? seconds_since(start) : -1;
}

double command_round_trip() {
    const auto start = Clock::now();
    return send_command(command_connect) == 1 ? seconds_since(start) : -1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    SimulatedDevice device;
    if (!device.start(port)) {
        std::fprintf(stderr, "bench_link: cannot start %s\n", sim_program().c_str());
        return 1;
    }
    WorkingFolder folder(device.folder());
    if (open_port(port) != 1) {
        std::fprintf(stderr, "bench_link: cannot open COM%d\n", port);
        return 1;
    }

    device.command("silent 12");
    const double command_share = cpu_share_of([] { send_command(command_connect); });
    const double read_share = cpu_share_of([] { read_byte_within(1000); });
    std::printf("CPU while awaiting an acknowledgement that never comes: %.2f %% of the wall "
                "time (send_command), %.2f %% (read_byte_within(1000)); goal under 2 %%\n",
                100 * command_share, 100 * read_share);

    device.command("reset");
    // Interleaved, so that both kinds of exchange see the same machine load.
    std::vector<double> with_link;
    std::vector<double> bare;
    for (int i = 0; i < exchanges; ++i) {
        with_link.push_back(command_round_trip());
        bare.push_back(bare_round_trip(current_port_descriptor()));
        if (with_link.back() < 0 || bare.back() < 0) {
            std::fprintf(stderr, "bench_link: the device did not answer\n");
            return 1;
        }
    }
    const double link_median = median(with_link);
    const double bare_median = median(bare);
    std::printf("command exchange: %.1f us with send_command, %.1f us on the bare line: "
                "%.1f us beyond the device's own answer time (medians of %d)\n",
                link_median * 1e6, bare_median * 1e6, (link_median - bare_median) * 1e6, exchanges);
    close_current_port();
    return 0;
}
