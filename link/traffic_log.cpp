#include "link/traffic_log.h"

#include "link/traffic_log_format.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace traffic_log_detail {
bool on = false;
}

namespace {

struct Burst {
    bool open = false;
    TrafficDirection direction = TrafficDirection::sent;
    std::int64_t first_ns = 0;
    std::int64_t last_ns = 0;
    std::vector<std::uint8_t> bytes;
};

struct TrafficLog {
    std::FILE* file = nullptr;
    std::string path;
    std::string header_start; // wall clock, program and version, until the port is known
    bool header_written = false;
    std::int64_t started_ns = 0;
    Burst burst;
    TrafficLogFailureReport report_failure = nullptr;
    bool exit_hook_set = false;
};

TrafficLog log_state;

std::int64_t elapsed_us(std::int64_t at_ns) {
    return (at_ns - log_state.started_ns) / 1000;
}

void fail() {
    std::fclose(log_state.file);
    log_state.file = nullptr;
    traffic_log_detail::on = false;
    log_state.burst = {};
    if (log_state.report_failure)
        log_state.report_failure(log_state.path);
}

void write_line(const std::string& line) {
    if (!log_state.file)
        return;
    if (std::fputs(line.c_str(), log_state.file) < 0 || std::fputc('\n', log_state.file) < 0 ||
        std::fflush(log_state.file) != 0)
        fail();
}

void write_header(std::string_view port) {
    if (log_state.header_written)
        return;
    log_state.header_written = true;
    write_line(log_state.header_start + std::string(port));
}

// A log that ends, or sees bytes, before any port was chosen says so on its first line.
void write_header_without_port() {
    write_header("none chosen");
}

void write_burst(std::string_view what) {
    Burst& burst = log_state.burst;
    if (!burst.open)
        return;
    write_header_without_port();
    burst.open = false;
    write_line(traffic_log_line(elapsed_us(burst.first_ns), burst.direction, burst.bytes.data(),
                                burst.bytes.size(), what));
    burst.bytes.clear();
}

void add_to_burst(TrafficDirection direction, const std::uint8_t* bytes, std::size_t count,
                  std::int64_t at_ns) {
    Burst& burst = log_state.burst;
    if (burst.open && (burst.direction != direction || at_ns - burst.last_ns > burst_gap_ns))
        write_burst({});
    if (!burst.open) {
        burst.open = true;
        burst.direction = direction;
        burst.first_ns = at_ns;
    }
    burst.last_ns = traffic_log_clock_ns();
    burst.bytes.insert(burst.bytes.end(), bytes, bytes + count);
}

// A line of no bytes on one side, after whatever burst is open.
void write_event(TrafficDirection direction, std::string_view what) {
    write_burst({});
    write_header_without_port();
    write_line(traffic_log_line(elapsed_us(traffic_log_clock_ns()), direction, nullptr, 0, what));
}

void end_burst_of(TrafficDirection direction, std::string_view what) {
    if (!traffic_log_detail::on)
        return;
    if (log_state.burst.open && log_state.burst.direction == direction)
        write_burst(what);
    else
        write_event(direction, what);
}

std::string wall_clock_text() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[64] = "";
    if (::localtime_r(&now, &local))
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &local);
    return text;
}

} // namespace

std::int64_t traffic_log_clock_ns() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

int start_traffic_log(const std::string& path, std::string_view program, std::string_view version) {
    stop_traffic_log();
    log_state.started_ns = traffic_log_clock_ns();
    log_state.path = path;
    log_state.file = std::fopen(path.c_str(), "we");
    if (!log_state.file)
        return 0;
    log_state.header_start = traffic_log_header(wall_clock_text(), program, version, "");
    log_state.header_written = false;
    traffic_log_detail::on = true;
    if (!log_state.exit_hook_set)
        log_state.exit_hook_set = std::atexit(stop_traffic_log) == 0;
    return 1;
}

void set_traffic_log_failure_report(TrafficLogFailureReport report) {
    log_state.report_failure = report;
}

void traffic_log_port(int number, const std::string& device_path, bool open) {
    if (!traffic_log_detail::on)
        return;
    std::string port = "COM" + std::to_string(number) + " ";
    port += open ? device_path : "not open (" + device_path + ")";
    write_burst({});
    if (!log_state.header_written)
        write_header(port);
    else
        write_line(traffic_note_line(elapsed_us(traffic_log_clock_ns()), "port " + port));
}

void traffic_log_sent(const std::uint8_t* bytes, std::size_t count, std::int64_t since_ns) {
    if (traffic_log_detail::on && count > 0)
        add_to_burst(TrafficDirection::sent, bytes, count, since_ns);
}

void traffic_log_received(const std::uint8_t* bytes, std::size_t count) {
    if (traffic_log_detail::on && count > 0)
        add_to_burst(TrafficDirection::received, bytes, count, traffic_log_clock_ns());
}

void traffic_log_purged(std::size_t count) {
    if (traffic_log_detail::on && count > 0)
        write_event(TrafficDirection::received,
                    "purged " + std::to_string(count) + (count == 1 ? " byte" : " bytes"));
}

void traffic_log_end_sent(std::string_view what) {
    end_burst_of(TrafficDirection::sent, what);
}

void traffic_log_end_received(std::string_view what) {
    end_burst_of(TrafficDirection::received, what);
}

void traffic_log_end_burst() {
    if (traffic_log_detail::on)
        write_burst({});
}

void traffic_log_note(std::string_view what) {
    if (!traffic_log_detail::on)
        return;
    write_burst({});
    write_header_without_port();
    write_line(traffic_note_line(elapsed_us(traffic_log_clock_ns()), what));
}

void stop_traffic_log() {
    if (!log_state.file)
        return;
    write_burst({});
    write_header_without_port();
    if (log_state.file)
        std::fclose(log_state.file);
    log_state.file = nullptr;
    traffic_log_detail::on = false;
}
