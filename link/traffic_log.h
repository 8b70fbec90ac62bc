// The traffic log of a program (--traffic-log FILE): every byte that crosses the port, written
// as it happens in the lines of link/traffic_log_format.h, each line flushed when written.
//
// Bytes are gathered into bursts: one direction, no pause of more than 20 ms between bytes.
// A burst is written when it ends: at the next change of direction, at the first byte after
// a pause, or when a caller names it (an acknowledgement read, a message classified), which
// also ends it. Nothing runs on its own: no timer, no thread.
//
// With no log, every hook is one test of traffic_log_on(). A log that cannot be written is
// closed and reported once through the failure report; the program goes on without it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace traffic_log_detail {
extern bool on;
}

inline bool traffic_log_on() {
    return traffic_log_detail::on;
}

// A pause longer than this between two bytes starts a new line.
inline constexpr std::int64_t burst_gap_ns = 20'000'000;

// Creates (truncates) `path` and starts the log; the time of the lines counts from here.
// The first line names the wall-clock time of this call, `program`, `version` and the port:
// it is written at the first port, byte or end of the log. Returns 1, or 0 when the file
// cannot be created (the program then runs without a log).
int start_traffic_log(const std::string& path, std::string_view program, std::string_view version);

// Called once when a log that was running cannot be written any more.
using TrafficLogFailureReport = void (*)(const std::string& path);
void set_traffic_log_failure_report(TrafficLogFailureReport report);

// The current port: COMk and its device, or that its slot holds no open port.
void traffic_log_port(int number, const std::string& device_path, bool open);

// Bytes written to the device (`since_ns`: the monotonic time the write began), and bytes
// read from it.
void traffic_log_sent(const std::uint8_t* bytes, std::size_t count, std::int64_t since_ns);
void traffic_log_received(const std::uint8_t* bytes, std::size_t count);
// Received bytes a purge discarded unread.
void traffic_log_purged(std::size_t count);

// Names the burst of that direction that is open and writes it; with none open, the line
// names only what happened ("no acknowledgement").
void traffic_log_end_sent(std::string_view what);
void traffic_log_end_received(std::string_view what);
// Writes an open burst as it is (before the program sleeps).
void traffic_log_end_burst();
// A line of its own about the link, e.g. a port that went away.
void traffic_log_note(std::string_view what);

// Writes what is open and closes the file. Also runs at exit.
void stop_traffic_log();

// The clock of the log, for `since_ns`.
std::int64_t traffic_log_clock_ns();
