// The traffic log of a program (--traffic-log FILE): every byte that crosses the port, written
// as it happens in the lines of formats/traffic_log_format.h, each line flushed when written.
//
// Bytes are gathered into bursts: one direction, no pause of more than 20 ms between bytes.
// A burst is written when it ends: at the next change of direction, at the first byte after
// a pause, or when a caller names it (an acknowledgement read, a message classified), which
// also ends it. Nothing runs on its own: no timer, no thread.
//
// With no log, every hook returns at once (callers test traffic_log_on() first). A log that
// cannot be written is closed and reported once through the failure report; the program goes
// on without it.
//
// The log never costs the user a file: a link as the path's last component is not followed
// (except to a pipe or terminal, such as /dev/stderr or a shell's >(...)), an existing file
// is replaced only when it is a traffic log itself, and the program's own files are refused.
// The hooks may be called from two threads (a program that ends the log from a thread that
// waits for signals): each holds the log for the time it takes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace traffic_log_detail {
extern std::atomic<bool> on;
}

inline bool traffic_log_on() {
    return traffic_log_detail::on.load(std::memory_order_relaxed);
}

// A pause longer than this between two bytes starts a new line.
inline constexpr std::int64_t burst_gap_ns = 20'000'000;

// Whether a name in the working folder is one of the program's own files (its image, a COMk
// entry, the files it reads and writes), which a log must never take.
using TrafficLogOwnFile = bool (*)(std::string_view name);

// Creates `path` (or empties a traffic log found there) and starts the log; the time of the
// lines counts from here. The first line names the wall-clock time of this call, `program`,
// `version` and the port: it is written at the first port, byte or end of the log. Returns 1,
// or 0 when the file cannot be created or is refused (the program then runs without a log);
// `reason` (when given) then says why: "it is a symbolic link", "it is not a traffic log",
// "it is a file of the program", or the system's text.
int start_traffic_log(const std::string& path, std::string_view program, std::string_view version,
                      TrafficLogOwnFile own_file = nullptr, std::string* reason = nullptr);

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

// Writes what is open, then (when `how` is given) a last line that says how the program ended
// (traffic_log_end_note), and closes the file. At exit it runs with "end". A log that another
// thread holds for more than a second (a log pipe that nobody reads) is left as it is.
void stop_traffic_log(std::string_view how = {});

// The clock of the log, for `since_ns`.
std::int64_t traffic_log_clock_ns();
