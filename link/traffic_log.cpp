#include "link/traffic_log.h"

#include "formats/traffic_log_format.h"
#include "link/port_names.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace traffic_log_detail {
std::atomic<bool> on = false;
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
std::recursive_timed_mutex log_mutex;

using Hold = std::lock_guard<std::recursive_timed_mutex>;

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
    const Hold hold(log_mutex);
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

void stop_held(std::string_view how) {
    if (!log_state.file)
        return;
    write_burst({});
    write_header_without_port();
    if (!how.empty())
        write_line(traffic_note_line(elapsed_us(traffic_log_clock_ns()), how));
    if (log_state.file)
        std::fclose(log_state.file);
    log_state.file = nullptr;
    traffic_log_detail::on = false;
}

void stop_at_exit() {
    stop_traffic_log(traffic_log_end_note(0, -1));
}

// Whether `path` lies in the working folder: its folder is the same as ".".
bool in_working_folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    struct stat here {
    }, there{};
    return ::stat(".", &here) == 0 && ::stat(folder.c_str(), &there) == 0 &&
           here.st_dev == there.st_dev && here.st_ino == there.st_ino;
}

// Whether the regular file open on `fd` is empty or starts with a log's first line.
bool holds_a_log(int fd) {
    char start[256];
    const ssize_t got = ::pread(fd, start, sizeof start, 0);
    if (got <= 0)
        return got == 0;
    std::string_view line(start, static_cast<std::size_t>(got));
    return is_traffic_log_header(line.substr(0, line.find('\n')));
}

// Why a log's file could not be opened, from the open's errno.
std::string open_error_text(int error) {
    if (error == ELOOP)
        return "it is a symbolic link";
    if (error == ENXIO)
        return "it is a pipe that nobody reads";
    return std::strerror(error);
}

// Opens the log's file without costing the user a file (see the header). The descriptor, or
// -1 with `reason`.
int open_log_file(const std::string& path, TrafficLogOwnFile own_file, std::string& reason) {
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (own_file && own_file(name) && in_working_folder(path)) {
        reason = "it is a file of the program";
        return -1;
    }
    // Non-blocking, so that a named pipe nobody reads is refused instead of hanging the start.
    constexpr int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd = ::open(path.c_str(), O_WRONLY | flags | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
    struct stat entry {};
    if (fd < 0 && errno == EEXIST && ::lstat(path.c_str(), &entry) == 0) {
        // A pipe or a terminal behind a link loses nothing; a file behind one is never
        // touched. A file of its own is read for its first line.
        const bool regular = S_ISREG(entry.st_mode);
        fd = S_ISLNK(entry.st_mode)
                 ? ::open(path.c_str(), O_WRONLY | flags)
                 : ::open(path.c_str(), (regular ? O_RDWR : O_WRONLY) | flags | O_NOFOLLOW);
        if (fd >= 0 && (::fstat(fd, &entry) != 0 || S_ISREG(entry.st_mode) != regular)) {
            ::close(fd);
            fd = -1;
            errno = ELOOP; // a link to a file, or an entry that changed under us
        }
        if (fd >= 0 && regular && (!holds_a_log(fd) || ::ftruncate(fd, 0) != 0)) {
            ::close(fd);
            reason = "it is not a traffic log";
            return -1;
        }
    }
    reason = fd >= 0 ? "" : open_error_text(errno);
    return fd;
}

} // namespace

std::int64_t traffic_log_clock_ns() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

int start_traffic_log(const std::string& path, std::string_view program, std::string_view version,
                      TrafficLogOwnFile own_file, std::string* reason) {
    const Hold hold(log_mutex);
    stop_held({});
    log_state.started_ns = traffic_log_clock_ns();
    log_state.path = path;
    std::string refusal;
    const int fd = open_log_file(path, own_file, refusal);
    if (fd >= 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK); // the lines are written whole
    log_state.file = fd >= 0 ? ::fdopen(fd, "w") : nullptr;
    if (!log_state.file) {
        if (fd >= 0)
            ::close(fd);
        if (reason)
            *reason = refusal;
        return 0;
    }
    log_state.header_start = traffic_log_header(wall_clock_text(), program, version, "");
    log_state.header_written = false;
    traffic_log_detail::on = true;
    if (!log_state.exit_hook_set)
        log_state.exit_hook_set = std::atexit(stop_at_exit) == 0;
    return 1;
}

void set_traffic_log_failure_report(TrafficLogFailureReport report) {
    const Hold hold(log_mutex);
    log_state.report_failure = report;
}

void traffic_log_port(int number, const std::string& device_path, bool open) {
    const Hold hold(log_mutex);
    if (!traffic_log_detail::on)
        return;
    std::string port = port_entry_name(number) + " ";
    port += open ? device_path : "not open (" + device_path + ")";
    write_burst({});
    if (!log_state.header_written)
        write_header(port);
    else
        write_line(traffic_note_line(elapsed_us(traffic_log_clock_ns()), "port " + port));
}

void traffic_log_sent(const std::uint8_t* bytes, std::size_t count, std::int64_t since_ns) {
    const Hold hold(log_mutex);
    if (traffic_log_detail::on && count > 0)
        add_to_burst(TrafficDirection::sent, bytes, count, since_ns);
}

void traffic_log_received(const std::uint8_t* bytes, std::size_t count) {
    const Hold hold(log_mutex);
    if (traffic_log_detail::on && count > 0)
        add_to_burst(TrafficDirection::received, bytes, count, traffic_log_clock_ns());
}

void traffic_log_purged(std::size_t count) {
    const Hold hold(log_mutex);
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
    const Hold hold(log_mutex);
    if (traffic_log_detail::on)
        write_burst({});
}

void traffic_log_note(std::string_view what) {
    const Hold hold(log_mutex);
    if (!traffic_log_detail::on)
        return;
    write_burst({});
    write_header_without_port();
    write_line(traffic_note_line(elapsed_us(traffic_log_clock_ns()), what));
}

void stop_traffic_log(std::string_view how) {
    std::unique_lock<std::recursive_timed_mutex> hold(log_mutex, std::chrono::seconds(1));
    if (hold.owns_lock())
        stop_held(how);
}
