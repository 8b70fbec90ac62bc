// POSIX termios implementation of the serial primitives.
#include "link/port_in_use.h"
#include "link/port_names.h"
#include "link/serial_port.h"
#include "link/traffic_log.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int closed_port = -1;

// The one port the program holds, the settings it had when it was taken (put back when it is
// released) and the number of the chosen port, held or not.
int held_fd = closed_port;
termios found_settings{};
int chosen_number = first_port_number;

// Bytes read from the port but not yet handed out: one read takes what the driver holds (a
// terminal's input buffer is 4 KB).
std::array<std::uint8_t, 4096> read_block{};
std::size_t block_next = 0;
std::size_t block_end = 0;
// When the last read that found bytes was made, while no send came since: a message is
// arriving, and the next wait may let bytes gather instead of waking for each one.
std::int64_t streaming_since_ns = 0;

// The chosen port went away while held and is taken up again when its path is back; `gone`
// until take_port_change() has told so.
bool port_lost = false;
bool loss_untold = false;
bool path_changed = false; // the watch saw a change that take_port_change() has not acted on
std::string held_path;     // the path the port was taken at: it comes back only there
// inotify on the folders of the chosen port's path and of its link target.
int watch_fd = closed_port;
std::vector<int> watches;

std::size_t bytes_in_block() {
    return block_end - block_next;
}

void empty_block() {
    block_next = block_end = 0;
    streaming_since_ns = 0;
}

bool valid_number(int number) {
    return number >= first_port_number && number <= last_port_number;
}

// No echo, no line editing, no signals, no output processing, reads that never wait; the
// line itself (speed, size, parity) stays as it is. A Linux terminal in its default mode would
// echo what the device sends straight back onto the line.
void make_raw(termios& settings) {
    const tcflag_t line = settings.c_cflag;
    ::cfmakeraw(&settings);
    settings.c_cflag = line;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
}

// Leaves the port as it was found: the exclusive flag is cleared (on a pseudo-terminal whose
// other side stays open it would outlive us and lock every user but root out), the settings
// are put back, the descriptor (and with it the advisory lock) goes. Only async-signal-safe
// calls.
void release_port(int fd) {
    empty_block();
    ::ioctl(fd, TIOCNXCL);
    ::tcsetattr(fd, TCSANOW, &found_settings);
    ::close(fd);
}

// Takes the port at `path` unless another program uses it; a port in use is not touched
// (no settings, no flag, no lock). While we hold it, the exclusive flag keeps other opens out
// (except root's) and the advisory lock a second copy of our own programs, root included.
int take_port(const std::string& path) {
    if (path.empty() || terminal_in_use(path))
        return closed_port;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return closed_port;
    if (descriptor_in_use(fd) || ::tcgetattr(fd, &found_settings) != 0) {
        ::close(fd);
        return closed_port;
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return closed_port;
    }
    termios settings = found_settings;
    make_raw(settings);
    ::tcsetattr(fd, TCSANOW, &settings);
    return fd;
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Watches the folders in which the path of the held port, its link target and the device it
// leads to live: a removed node or link shows there, and so does one that comes back.
void watch_port_path(const std::string& path) {
    if (watch_fd == closed_port)
        watch_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_fd == closed_port)
        return;
    for (const int watch : watches)
        ::inotify_rm_watch(watch_fd, watch);
    watches.clear();
    std::vector<std::string> folders = {folder_of(path)};
    char target[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
    if (length > 0) {
        const std::string link(target, static_cast<std::size_t>(length));
        folders.push_back(folder_of(link[0] == '/' ? link : folders[0] + "/" + link));
    }
    if (::realpath(path.c_str(), target))
        folders.push_back(folder_of(target));
    constexpr std::uint32_t changes =
        IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF;
    for (const std::string& folder : folders) {
        const int watch = ::inotify_add_watch(watch_fd, folder.c_str(), changes);
        if (watch >= 0 && std::find(watches.begin(), watches.end(), watch) == watches.end())
            watches.push_back(watch);
    }
}

// Whether the port's path still leads to the device the program holds.
bool path_leads_to_held_port() {
    struct stat held {};
    struct stat named {};
    return ::fstat(held_fd, &held) == 0 &&
           ::stat(port_device_path(chosen_number).c_str(), &named) == 0 &&
           named.st_rdev == held.st_rdev;
}

// Makes `number` the chosen port and holds it: a port already held stays as it is, another
// one is released first.
void hold_port(int number) {
    if (number == chosen_number && held_fd != closed_port)
        return;
    if (held_fd != closed_port)
        release_port(held_fd);
    chosen_number = number;
    port_lost = loss_untold = false;
    held_path = port_device_path(number);
    held_fd = take_port(held_path);
    if (held_fd != closed_port)
        watch_port_path(held_path);
}

int current_fd() {
    return held_fd;
}

// "COM3 -> /dev/pts/4" for a link in the working folder: the log names the device behind it.
std::string logged_device_path(int number) {
    std::string path = port_device_path(number);
    char target[PATH_MAX];
    if (::realpath(path.c_str(), target) && path != target)
        path += std::string(" -> ") + target;
    return path;
}

// A port whose device went away (adapter unplugged, simulated device ended) is released, so
// that it reads as "no byte" without waking a poll() again and again; choosing it again
// reopens it, and so does its return (take_port_change). `went_away` false: the program let it go.
void drop_current_port(bool went_away = true) {
    if (held_fd != closed_port) {
        release_port(held_fd);
        held_fd = closed_port;
        port_lost = loss_untold = went_away;
        if (traffic_log_on())
            traffic_log_note("port " + port_entry_name(chosen_number) +
                             (went_away ? " went away" : " closed"));
    }
}

std::int64_t monotonic_ns() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

timespec to_timespec(std::int64_t ns) {
    timespec t{};
    t.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    t.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    return t;
}

// 38400 baud, 11 bits a byte (start, 8 data, 2 stop).
std::int64_t wire_time_ns(std::size_t count) {
    return static_cast<std::int64_t>(count) * 11 * 1'000'000'000 / 38400;
}

enum class Wait { done, timed_out, failed };

// Waits until the driver's output buffer takes bytes again: 2 s without room, or the end of
// the send's `deadline`, fail the send; a signal does not end the wait.
Wait wait_for_room(int fd, std::int64_t deadline) {
    constexpr std::int64_t room_wait_ns = 2'000'000'000;
    const std::int64_t until = std::min(deadline, monotonic_ns() + room_wait_ns);
    for (;;) {
        const std::int64_t remaining = until - monotonic_ns();
        if (remaining <= 0)
            return Wait::timed_out;
        pollfd watched{fd, POLLOUT, 0};
        const timespec wait = to_timespec(remaining);
        const int ready = ::ppoll(&watched, 1, &wait, nullptr);
        if (ready > 0)
            return (watched.revents & POLLOUT) != 0 ? Wait::done : Wait::failed;
        if (ready < 0 && errno != EINTR)
            return Wait::failed;
    }
}

// Waits until the driver has sent what it holds, by the send's `deadline`: tcdrain() has no
// bound, so the output queue is asked and the wait sleeps for the wire time of what is left.
Wait drain_by(int fd, std::int64_t deadline) {
    constexpr std::int64_t shortest_sleep_ns = 1'000'000;
    for (;;) {
        int queued = 0;
        if (::ioctl(fd, TIOCOUTQ, &queued) != 0)
            return Wait::failed;
        if (queued <= 0)
            return Wait::done;
        const std::int64_t remaining = deadline - monotonic_ns();
        if (remaining <= 0)
            return Wait::timed_out;
        const std::int64_t sleep =
            std::min(remaining, std::max(shortest_sleep_ns, wire_time_ns(queued)));
        const timespec wait = to_timespec(sleep);
        ::ppoll(nullptr, 0, &wait, nullptr); // a signal ends the sleep early; asked again
    }
}

} // namespace

std::string port_device_path(int number) {
    if (!valid_number(number))
        return {};
    const std::string local = port_entry_name(number);
    struct stat entry {};
    if (::lstat(local.c_str(), &entry) == 0)
        return local;
    static constexpr std::array<const char*, 3> families = {"/dev/ttyS", "/dev/ttyUSB",
                                                            "/dev/ttyACM"};
    const int index = number - 1;
    return families[static_cast<std::size_t>(index / 10)] + std::to_string(index % 10);
}

int open_port(int number) {
    if (!valid_number(number))
        return 0;
    hold_port(number);
    if (held_fd == closed_port) {
        if (traffic_log_on())
            traffic_log_port(number, logged_device_path(number), false);
        return 0;
    }
    configure_port();
    log_current_port();
    return 1;
}

void select_port(int number) {
    if (valid_number(number))
        hold_port(number);
    configure_port();
    log_current_port();
}

void configure_port() {
    const int fd = current_fd();
    if (fd == closed_port)
        return;
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return;
    make_raw(settings);
    settings.c_cflag &= ~(CSIZE | PARENB | CRTSCTS);
    settings.c_cflag |= CS8 | CSTOPB | CLOCAL | CREAD;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    ::cfsetispeed(&settings, B38400);
    ::cfsetospeed(&settings, B38400);
    ::tcsetattr(fd, TCSANOW, &settings);
}

int read_byte_now() {
    const int fd = current_fd();
    if (fd == closed_port)
        return -1;
    if (bytes_in_block() == 0) {
        const ssize_t got = ::read(fd, read_block.data(), read_block.size());
        if (got > 0) {
            block_next = 0;
            block_end = static_cast<std::size_t>(got);
            streaming_since_ns = monotonic_ns();
        } else {
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
                return -1;
            if (got == 0) {
                // With VMIN 0 / VTIME 0 an empty line reads 0 bytes; only a hang-up means that
                // the device went away.
                pollfd watched{fd, POLLIN, 0};
                if (::poll(&watched, 1, 0) <= 0 || !(watched.revents & (POLLHUP | POLLERR)))
                    return -1;
            }
            // End of file or an I/O error: the device behind the port is gone. A
            // pseudo-terminal whose other side has not opened yet also reads as EIO.
            drop_current_port();
            return -1;
        }
    }
    const std::uint8_t byte = read_block[block_next++];
    if (traffic_log_on())
        traffic_log_received(&byte, 1);
    return byte;
}

int read_byte_within(int ms) {
    // While a message arrives at line speed, bytes gather for a few milliseconds (well inside
    // the 100 ms of silence that end a message) instead of waking the reader for each one.
    constexpr std::int64_t gather_ns = 8'000'000;
    constexpr std::int64_t streaming_ns = 20'000'000;
    // A byte already in the block costs no clock reading.
    if (bytes_in_block() > 0)
        return read_byte_now();
    const std::int64_t deadline = monotonic_ns() + static_cast<std::int64_t>(ms) * 1'000'000;
    for (;;) {
        const int byte = read_byte_now();
        if (byte >= 0)
            return byte;
        const std::int64_t now = monotonic_ns();
        if (deadline - now <= 0)
            return -1;
        const int fd = current_fd();
        if (fd == closed_port) {
            // Nothing can arrive: the budget passes as it would on a silent line.
            const timespec wait = to_timespec(deadline - now);
            ::nanosleep(&wait, nullptr);
            continue;
        }
        if (streaming_since_ns != 0 && now - streaming_since_ns < streaming_ns) {
            const timespec gather = to_timespec(std::min(gather_ns, deadline - now));
            ::nanosleep(&gather, nullptr);
            streaming_since_ns = 0; // the next read says whether the message goes on
            continue;
        }
        pollfd watched{fd, POLLIN, 0};
        const timespec wait = to_timespec(deadline - now);
        const int ready = ::ppoll(&watched, 1, &wait, nullptr);
        if (ready > 0 && !(watched.revents & POLLIN))
            drop_current_port(); // hang-up or error without data
    }
}

int purge_and_write(const std::uint8_t* buffer, std::size_t count) {
    const int fd = current_fd();
    if (fd == closed_port)
        return 0;
    const std::int64_t deadline = monotonic_ns() + wire_time_ns(count) + 2'000'000'000;
    std::int64_t log_since = 0;
    if (traffic_log_on()) {
        log_since = traffic_log_clock_ns();
        int in_driver = 0;
        const std::size_t discarded =
            bytes_in_block() + (::ioctl(fd, FIONREAD, &in_driver) == 0 && in_driver > 0
                                    ? static_cast<std::size_t>(in_driver)
                                    : 0);
        if (discarded > 0)
            traffic_log_purged(discarded);
    }
    empty_block();
    ::tcflush(fd, TCIOFLUSH);
    std::size_t written = 0;
    Wait wait = Wait::done;
    while (written < count && wait == Wait::done) {
        const ssize_t n = ::write(fd, buffer + written, count - written);
        if (n > 0)
            written += static_cast<std::size_t>(n);
        else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            wait = wait_for_room(fd, deadline);
        else if (!(n < 0 && errno == EINTR))
            wait = Wait::failed;
    }
    if (traffic_log_on())
        traffic_log_sent(buffer, written, log_since);
    // The bytes are on the line only when the driver has sent them: every reply budget counts
    // from then, and the next purge must not discard the tail of this send.
    if (wait == Wait::done)
        wait = drain_by(fd, deadline);
    if (wait == Wait::timed_out) {
        // A line that does not drain (held by flow control, a device that stopped reading):
        // the send fails, what is left of it is discarded, the port stays.
        ::tcflush(fd, TCOFLUSH);
        if (traffic_log_on())
            traffic_log_note("send not drained within its time");
        return 0;
    }
    if (wait == Wait::failed) {
        drop_current_port();
        return 0;
    }
    return 1;
}

void log_current_port() {
    if (traffic_log_on())
        traffic_log_port(chosen_number, logged_device_path(chosen_number),
                         current_fd() != closed_port);
}

int current_port_descriptor() {
    return current_fd();
}

void close_current_port() {
    drop_current_port(false);
}

void close_all_ports() {
    if (held_fd != closed_port)
        release_port(held_fd);
    held_fd = closed_port;
}

int current_port_number() {
    return chosen_number;
}

int port_watch_descriptor() {
    return watch_fd;
}

PortChange take_port_change() {
    char events[4096];
    while (watch_fd != closed_port && ::read(watch_fd, events, sizeof events) > 0)
        path_changed = true;
    if (path_changed && held_fd != closed_port && !path_leads_to_held_port())
        drop_current_port(); // the node or the link's target was removed
    if (loss_untold) {
        loss_untold = false;
        return PortChange::gone; // the next call may find it back already
    }
    const bool try_again = path_changed && port_lost;
    path_changed = false;
    // While a COMk link is missing its number names a port of the fixed table: not this one.
    if (!try_again || port_device_path(chosen_number) != held_path)
        return PortChange::none;
    held_fd = take_port(held_path);
    if (held_fd == closed_port)
        return PortChange::none;
    port_lost = false;
    watch_port_path(held_path);
    configure_port();
    if (traffic_log_on())
        traffic_log_note("port " + port_entry_name(chosen_number) + " back");
    log_current_port();
    return PortChange::back;
}
