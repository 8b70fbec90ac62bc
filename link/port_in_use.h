// Whether a terminal is in use by another program. Linux lets any number of programs open a
// terminal at once, so a program that shares the desktop asks before it takes one.
#pragma once

#include <string>
#include <vector>

// Who holds the terminal behind `path`, as far as /proc shows (every process for root, the
// user's own processes otherwise). This process is never counted.
struct TerminalHolders {
    int users = 0;              // other processes that have the terminal open
    std::vector<int> user_pids; // their pids, as /proc lists them
    int far_end = 0; // pid of the holder of a pseudo-terminal's master, or 0; the line's far
                     // end is not a user, even when it also keeps the terminal itself open
};
TerminalHolders terminal_holders(const std::string& path);

// Whether a UUCP lock file (/run/lock/LCK..NAME, as minicom and cu write) of a live process
// names the device behind `path`.
bool uucp_lock_held(const std::string& path);

// The check before a terminal is opened: another process has it open, or a live UUCP lock
// names it. Nothing of the terminal is touched.
bool terminal_in_use(const std::string& path);

// The check on a descriptor just opened for `path`: the exclusive flag is set (root's open
// passes it), or another program holds the advisory lock. When the terminal is free the
// advisory lock is taken and stays with `fd`; returns false.
bool descriptor_in_use(int fd);
