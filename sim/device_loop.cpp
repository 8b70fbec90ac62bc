#include "sim/device_loop.h"

#include "link/program_end.h"
#include "link/traffic_log.h"
#include "sim/frame_scanner.h"
#include "sim/script_line.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <optional>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// A frame that stops arriving for this long is dropped, as the device's receiver does.
constexpr auto silence_ends_frame = 200ms;
// After `quit`, output still queued gets this long to leave; a line nobody reads never drains.
constexpr auto quit_drain_limit = 2s;
// A program's close is seen a moment before its advisory lock goes: the port is looked at
// again after this long.
constexpr auto release_recheck = 100ms;
// 38400 baud with 8 data bits, no parity and 2 stop bits (plus the start bit): 11 bits a byte.
constexpr double paced_bytes_per_second = 38400.0 / 11.0;
constexpr std::size_t max_script_line = 4u << 20;
constexpr std::size_t io_chunk = 4096;
constexpr int keep_running = -1;

struct ScriptInput {
    int fd = -1;
    std::string partial;
    std::deque<std::string> lines;
    long line_number = 0;
    bool ack_pending = false;
    std::string ack;
};

// Paced output starts its clock when the queue fills after being empty.
struct Pacer {
    bool running = false;
    SimClock::time_point origin;
    std::size_t sent = 0;
};

// Time from one byte sent to the next: the script's gap, the real line's pace, or zero (as
// fast as the line takes them).
SimClock::duration byte_interval(const Simulator& sim, bool pace) {
    if (sim.byte_gap_ms > 0)
        return std::chrono::milliseconds(sim.byte_gap_ms);
    if (pace)
        return std::chrono::duration_cast<SimClock::duration>(
            std::chrono::duration<double>(1.0 / paced_bytes_per_second));
    return SimClock::duration::zero();
}

SimClock::time_point pace_due(const Pacer& pacer, SimClock::duration interval) {
    return pacer.origin + interval * static_cast<SimClock::rep>(pacer.sent);
}

std::size_t bytes_allowed(Simulator& sim, Pacer& pacer, SimClock::duration interval,
                          SimClock::time_point now) {
    if (interval == SimClock::duration::zero())
        return sim.output.size();
    if (!pacer.running) {
        pacer = {true, now, 0};
        return 1;
    }
    const auto due = static_cast<std::size_t>((now - pacer.origin) / interval) + 1;
    return due > pacer.sent ? std::min(due - pacer.sent, sim.output.size()) : 0;
}

void write_output(Simulator& sim, int line_fd, Pacer& pacer, SimClock::duration interval) {
    std::size_t allowed = bytes_allowed(sim, pacer, interval, SimClock::now());
    while (allowed > 0 && !sim.output.empty()) {
        std::array<std::uint8_t, io_chunk> chunk{};
        const std::size_t count = std::min({allowed, sim.output.size(), chunk.size()});
        std::copy_n(sim.output.begin(), count, chunk.begin());
        const std::int64_t since = traffic_log_on() ? traffic_log_clock_ns() : 0;
        const ssize_t written = ::write(line_fd, chunk.data(), count);
        if (written <= 0)
            break; // full: poll() says when the line takes bytes again
        take_sent_output(sim, static_cast<std::size_t>(written), since);
        pacer.sent += static_cast<std::size_t>(written);
        allowed -= static_cast<std::size_t>(written);
    }
    if (sim.output.empty())
        pacer.running = false;
}

void scan_and_handle(Simulator& sim, FrameScanner& scanner, const std::uint8_t* bytes,
                     std::size_t count) {
    for (const auto& frame : scan_bytes(scanner, bytes, count))
        handle_frame(sim, frame);
}

void read_line_bytes(Simulator& sim, int line_fd, FrameScanner& scanner,
                     SimClock::time_point& last_input) {
    std::array<std::uint8_t, io_chunk> chunk{};
    ssize_t got = 0;
    while ((got = ::read(line_fd, chunk.data(), chunk.size())) > 0) {
        last_input = SimClock::now();
        const auto count = static_cast<std::size_t>(got);
        const std::size_t taken =
            sim.raw_input ? std::min(sim.raw_input(sim, chunk.data(), count), count) : 0;
        if (!traffic_log_on()) {
            scan_and_handle(sim, scanner, chunk.data() + taken, count - taken);
            continue;
        }
        // Byte by byte, so that each frame's line ends with its last byte.
        traffic_log_received(chunk.data(), taken);
        for (std::size_t at = taken; at < count; ++at) {
            traffic_log_received(chunk.data() + at, 1);
            scan_and_handle(sim, scanner, chunk.data() + at, 1);
        }
    }
}

// Reads what the script descriptor holds; returns 0 when a line is too long.
int read_script_bytes(ScriptInput& input) {
    std::array<char, io_chunk> chunk{};
    const ssize_t got = ::read(input.fd, chunk.data(), chunk.size());
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return 1;
    if (got <= 0) {
        // End of the script: the device keeps running until it is stopped.
        if (!input.partial.empty())
            input.lines.push_back(input.partial);
        input.partial.clear();
        input.fd = -1;
        return 1;
    }
    input.partial.append(chunk.data(), static_cast<std::size_t>(got));
    std::size_t end = 0;
    while ((end = input.partial.find('\n')) != std::string::npos) {
        input.lines.push_back(input.partial.substr(0, end));
        input.partial.erase(0, end + 1);
    }
    return input.partial.size() <= max_script_line;
}

bool ack_ready(const Simulator& sim) {
    return SimClock::now() >= sim.script_resume_at &&
           !(sim.script_waits_for_output && !sim.output.empty());
}

// Runs script lines until one has to wait. Returns keep_running, or the exit status.
int run_script(Simulator& sim, ScriptInput& input, std::FILE* acks) {
    for (;;) {
        if (input.ack_pending) {
            if (!ack_ready(sim))
                return keep_running;
            // A driver that cannot read the answers any more ends the device (the caller
            // names the failure).
            if (std::fprintf(acks, "%s\n", input.ack.c_str()) < 0 || std::fflush(acks) != 0)
                return 1;
            input.ack_pending = false;
            sim.script_waits_for_output = false;
            continue;
        }
        if (sim.quit_requested || input.lines.empty())
            return keep_running;
        const std::string line = std::move(input.lines.front());
        input.lines.pop_front();
        ++input.line_number;
        const auto words = script_words(line);
        if (words.empty())
            continue;
        std::string message;
        const ScriptOutcome outcome = run_script_command(sim, words, message);
        if (outcome == ScriptOutcome::malformed) {
            std::fprintf(stderr, "varden_sim: script line %ld: %s\n", input.line_number,
                         message.c_str());
            return 2;
        }
        input.ack = outcome == ScriptOutcome::applied ? "ok" : "error";
        if (!message.empty())
            input.ack += " " + message;
        input.ack_pending = true;
    }
}

// Milliseconds until the earliest timed event, rounded up; -1 when nothing is timed.
int poll_timeout(SimClock::time_point now, const std::vector<SimClock::time_point>& events) {
    auto earliest = SimClock::time_point::max();
    for (const auto event : events)
        earliest = std::min(earliest, event);
    if (earliest == SimClock::time_point::max())
        return -1;
    if (earliest <= now)
        return 0;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(earliest - now).count();
    return static_cast<int>(std::min<long long>(wait, 60000));
}

} // namespace

int open_stop_signals() {
    sigset_t stops;
    sigemptyset(&stops);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        if (!signal_ignored_at_start(signal)) // nohup's SIGHUP stays ignored
            sigaddset(&stops, signal);
    if (::sigprocmask(SIG_BLOCK, &stops, nullptr) != 0)
        return -1;
    return ::signalfd(-1, &stops, SFD_CLOEXEC | SFD_NONBLOCK);
}

int run_device_loop(Simulator& sim, PseudoTerminal& terminal, int script_fd, int stop_fd,
                    std::FILE* acks, bool pace) {
    const int line_fd = terminal.master;
    constexpr auto no_recheck = SimClock::time_point::max();
    SimClock::time_point release_recheck_at = no_recheck;
    FrameScanner scanner;
    SimClock::time_point last_input;
    ScriptInput input;
    input.fd = script_fd;
    Pacer pacer;
    std::optional<SimClock::time_point> quit_deadline;
    for (;;) {
        const int status = run_script(sim, input, acks);
        if (status != keep_running)
            return status;
        release_delayed_output(sim, SimClock::now());
        const SimClock::duration interval = byte_interval(sim, pace);
        write_output(sim, line_fd, pacer, interval);
        const auto now = SimClock::now();
        if (sim.quit_requested) {
            if (!quit_deadline)
                quit_deadline = now + quit_drain_limit;
            if ((sim.output.empty() && sim.delayed_output.empty()) || now >= *quit_deadline)
                return 0;
        }
        if (now >= release_recheck_at) {
            release_abandoned_port(terminal);
            release_recheck_at = no_recheck;
        }
        if (has_incomplete_frame(scanner) && now - last_input >= silence_ends_frame)
            drop_incomplete_frame(scanner);

        std::vector<SimClock::time_point> events;
        if (input.ack_pending)
            events.push_back(ack_ready(sim) ? now : sim.script_resume_at);
        if (has_incomplete_frame(scanner))
            events.push_back(last_input + silence_ends_frame);
        const bool output_due = !sim.output.empty() && (interval == SimClock::duration::zero() ||
                                                        pace_due(pacer, interval) <= now);
        if (!sim.output.empty() && !output_due)
            events.push_back(pace_due(pacer, interval));
        if (!sim.delayed_output.empty())
            events.push_back(sim.delayed_output.front().due);
        if (quit_deadline)
            events.push_back(*quit_deadline);
        events.push_back(release_recheck_at); // max() is no event
        // Bytes that made no frame are in the log before the device waits for more.
        if (traffic_log_on() && !has_incomplete_frame(scanner) && sim.output.empty())
            traffic_log_end_burst();

        std::array<pollfd, 4> watched = {{
            {stop_fd, POLLIN, 0},
            {line_fd, static_cast<short>(POLLIN | (output_due ? POLLOUT : 0)), 0},
            {input.fd, POLLIN, 0}, // a negative descriptor is skipped
            {terminal.close_watch, POLLIN, 0},
        }};
        if (::poll(watched.data(), watched.size(), poll_timeout(now, events)) < 0) {
            if (errno == EINTR)
                continue;
            std::perror("varden_sim: poll");
            return 1;
        }
        if (watched[0].revents)
            return 0;
        if (watched[3].revents && release_abandoned_port(terminal))
            release_recheck_at = SimClock::now() + release_recheck;
        if (watched[1].revents & POLLIN)
            read_line_bytes(sim, line_fd, scanner, last_input);
        if (watched[2].revents && !read_script_bytes(input)) {
            std::fprintf(stderr, "varden_sim: script line %ld is longer than %zu characters\n",
                         input.line_number + static_cast<long>(input.lines.size()) + 1,
                         max_script_line);
            return 2;
        }
    }
}
