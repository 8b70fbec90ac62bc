#include "link/port_in_use.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// Unix98 pseudo-terminal slaves: majors 136..143, 256 minors each; the master multiplexer is 5:2.
constexpr unsigned pty_slave_major = 136;
constexpr unsigned pty_slave_majors = 8;

int pty_index(dev_t device) {
    const unsigned major_number = major(device);
    if (major_number < pty_slave_major || major_number >= pty_slave_major + pty_slave_majors)
        return -1;
    return static_cast<int>((major_number - pty_slave_major) * 256 + minor(device));
}

bool is_pty_master(dev_t device) {
    return major(device) == 5 && minor(device) == 2;
}

// Reads a small file of /proc into `text`; false when it cannot be read.
bool read_small_file(int folder, const char* name, char* text, std::size_t size) {
    const int fd = ::openat(folder, name, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const ssize_t got = ::read(fd, text, size - 1);
    ::close(fd);
    if (got < 0)
        return false;
    text[got] = '\0';
    return true;
}

// The tty-index of a /dev/ptmx descriptor, from /proc/PID/fdinfo/FD; -1 when none.
int master_index(int process_folder, const char* fd_name) {
    const std::string path = std::string("fdinfo/") + fd_name;
    char text[1024];
    if (!read_small_file(process_folder, path.c_str(), text, sizeof text))
        return -1;
    const char* field = std::strstr(text, "tty-index:");
    return field ? std::atoi(field + std::strlen("tty-index:")) : -1;
}

bool live_process(long pid) {
    return pid > 0 && pid <= INT32_MAX &&
           (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

// The pid of a UUCP lock file: ten ASCII digits (HDB) or a binary int (old UUCP); 0 when none.
long lock_file_pid(const std::string& path) {
    char text[64];
    if (!read_small_file(AT_FDCWD, path.c_str(), text, sizeof text))
        return 0;
    char* end = nullptr;
    const long pid = std::strtol(text, &end, 10);
    if (end != text)
        return pid;
    int binary = 0;
    struct stat entry {};
    if (::stat(path.c_str(), &entry) == 0 && entry.st_size == sizeof binary) {
        std::memcpy(&binary, text, sizeof binary);
        return binary;
    }
    return 0;
}

} // namespace

TerminalHolders terminal_holders(const std::string& path) {
    TerminalHolders holders;
    struct stat terminal {};
    if (::stat(path.c_str(), &terminal) != 0 || !S_ISCHR(terminal.st_mode))
        return holders;
    const int index = pty_index(terminal.st_rdev);
    const pid_t self = ::getpid();
    DIR* processes = ::opendir("/proc");
    if (!processes)
        return holders;
    while (const dirent* process = ::readdir(processes)) {
        char* end = nullptr;
        const long pid = std::strtol(process->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid == self)
            continue;
        const int process_folder =
            ::openat(::dirfd(processes), process->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (process_folder < 0)
            continue;
        const int fd_folder = ::openat(process_folder, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR* descriptors = fd_folder >= 0 ? ::fdopendir(fd_folder) : nullptr;
        if (!descriptors && fd_folder >= 0)
            ::close(fd_folder);
        bool holds = false;
        bool far_end = false;
        while (descriptors && !far_end) {
            const dirent* descriptor = ::readdir(descriptors);
            if (!descriptor)
                break;
            struct stat opened {};
            if (descriptor->d_name[0] == '.' ||
                ::fstatat(::dirfd(descriptors), descriptor->d_name, &opened, 0) != 0 ||
                !S_ISCHR(opened.st_mode))
                continue;
            if (opened.st_rdev == terminal.st_rdev)
                holds = true;
            else if (index >= 0 && is_pty_master(opened.st_rdev) &&
                     master_index(process_folder, descriptor->d_name) == index)
                far_end = true;
        }
        if (descriptors)
            ::closedir(descriptors);
        ::close(process_folder);
        if (far_end)
            holders.far_end = static_cast<int>(pid);
        else if (holds) {
            ++holders.users;
            holders.user_pids.push_back(static_cast<int>(pid));
        }
    }
    ::closedir(processes);
    return holders;
}

bool uucp_lock_held(const std::string& path) {
    char device[PATH_MAX];
    if (!::realpath(path.c_str(), device))
        return false;
    // LCK..ttyUSB0 for /dev/ttyUSB0; for /dev/pts/3 both LCK..3 and LCK..pts_3 are in use.
    std::string name = device;
    if (name.rfind("/dev/", 0) == 0)
        name.erase(0, 5);
    const std::string base = name.substr(name.rfind('/') + 1);
    for (char& c : name)
        if (c == '/')
            c = '_';
    for (const std::string& candidate : {name, base}) {
        if (live_process(lock_file_pid("/run/lock/LCK.." + candidate)))
            return true;
    }
    return false;
}

bool terminal_in_use(const std::string& path) {
    return terminal_holders(path).users > 0 || uucp_lock_held(path);
}

bool descriptor_in_use(int fd) {
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) != 0 || exclusive)
        return true;
    return ::flock(fd, LOCK_EX | LOCK_NB) != 0;
}
