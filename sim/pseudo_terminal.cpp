#include "sim/pseudo_terminal.h"

#include "link/port_in_use.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

int fail(PseudoTerminal& terminal, std::string& error, const std::string& what) {
    error = what + ": " + std::strerror(errno);
    close_pseudo_terminal(terminal);
    return 0;
}

void make_raw(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return;
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | PARENB);
    settings.c_cflag |= CS8 | CSTOPB | CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    ::cfsetispeed(&settings, B38400);
    ::cfsetospeed(&settings, B38400);
    ::tcsetattr(fd, TCSANOW, &settings);
}

// The name of process `pid` ("self" for this one), or empty.
std::string process_name(const std::string& pid) {
    char name[64] = {};
    FILE* file = std::fopen(("/proc/" + pid + "/comm").c_str(), "r");
    if (!file)
        return {};
    const bool read = std::fgets(name, sizeof name, file) != nullptr;
    std::fclose(file);
    return read ? name : "";
}

// The target of the link at `path`, or empty.
std::string link_target(const std::string& path) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
    return length > 0 ? std::string(target, static_cast<std::size_t>(length)) : std::string();
}

bool not_before(const timespec& a, const timespec& b) {
    return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec >= b.tv_nsec);
}

// Whether the link at `path` leads to the terminal of a simulated device that runs: the far
// end of the terminal is a simulated device, and the link is not older than the terminal (a
// stale link can lead to a number that a later terminal, another device's, has taken).
bool leads_to_live_device(const std::string& path) {
    const int far_end = terminal_holders(path).far_end;
    struct stat link {};
    struct stat terminal {};
    return far_end > 0 && process_name(std::to_string(far_end)) == process_name("self") &&
           ::lstat(path.c_str(), &link) == 0 && ::stat(path.c_str(), &terminal) == 0 &&
           not_before(link.st_mtim, terminal.st_ctim);
}

} // namespace

int open_linked_pseudo_terminal(const std::string& folder, int port, PseudoTerminal& terminal,
                                std::string& error) {
    const std::string link_path = folder + "/COM" + std::to_string(port);
    // A link to the terminal of another simulated device that still runs is its, not stale.
    if (leads_to_live_device(link_path)) {
        error = link_path + " leads to " + link_target(link_path) +
                " of a simulated device that still runs (pid " +
                std::to_string(terminal_holders(link_path).far_end) + "); it is not replaced";
        return -1;
    }
    terminal.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (terminal.master < 0)
        return fail(terminal, error, "cannot open a pseudo-terminal");
    char slave_name[128] = {};
    if (::grantpt(terminal.master) != 0 || ::unlockpt(terminal.master) != 0 ||
        ::ptsname_r(terminal.master, slave_name, sizeof slave_name) != 0)
        return fail(terminal, error, "cannot prepare the pseudo-terminal");
    terminal.slave = ::open(slave_name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (terminal.slave < 0)
        return fail(terminal, error, std::string("cannot open ") + slave_name);
    terminal.slave_path = slave_name;
    make_raw(terminal.slave);
    terminal.close_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (terminal.close_watch < 0 || ::inotify_add_watch(terminal.close_watch, slave_name,
                                                        IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0)
        return fail(terminal, error, std::string("cannot watch ") + slave_name);

    struct stat entry {};
    if (::lstat(link_path.c_str(), &entry) == 0) {
        if (!S_ISLNK(entry.st_mode)) {
            errno = EEXIST;
            return fail(terminal, error, link_path + " exists and is not a link");
        }
        ::unlink(link_path.c_str());
    }
    if (::symlink(slave_name, link_path.c_str()) != 0)
        return fail(terminal, error, "cannot create the link " + link_path);
    terminal.link_path = link_path;
    return 1;
}

int release_abandoned_port(PseudoTerminal& terminal) {
    char events[4096];
    while (::read(terminal.close_watch, events, sizeof events) > 0) {
    }
    int exclusive = 0;
    if (::ioctl(terminal.slave, TIOCGEXCL, &exclusive) != 0 || !exclusive)
        return 0;
    if (terminal_holders(terminal.slave_path).users > 0)
        return 1;
    ::ioctl(terminal.slave, TIOCNXCL);
    return 0;
}

void close_pseudo_terminal(PseudoTerminal& terminal) {
    if (!terminal.link_path.empty() && link_target(terminal.link_path) == terminal.slave_path)
        ::unlink(terminal.link_path.c_str());
    terminal.link_path.clear();
    for (int* fd : {&terminal.slave, &terminal.master, &terminal.close_watch}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}
