#include "sim/pseudo_terminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
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

} // namespace

int open_linked_pseudo_terminal(const std::string& folder, int port, PseudoTerminal& terminal,
                                std::string& error) {
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
    make_raw(terminal.slave);
    terminal.close_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (terminal.close_watch < 0 || ::inotify_add_watch(terminal.close_watch, slave_name,
                                                        IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0)
        return fail(terminal, error, std::string("cannot watch ") + slave_name);

    const std::string link_path = folder + "/COM" + std::to_string(port);
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
    if (::flock(terminal.slave, LOCK_EX | LOCK_NB) != 0)
        return 1;
    // Unlocked before the flag is cleared: while the flag is still set no other program can
    // open the port, so none can find it open but locked by us.
    ::flock(terminal.slave, LOCK_UN);
    ::ioctl(terminal.slave, TIOCNXCL);
    return 0;
}

void close_pseudo_terminal(PseudoTerminal& terminal) {
    if (!terminal.link_path.empty())
        ::unlink(terminal.link_path.c_str());
    terminal.link_path.clear();
    for (int* fd : {&terminal.slave, &terminal.master, &terminal.close_watch}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}
