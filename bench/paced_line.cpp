#include "bench/paced_line.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

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
