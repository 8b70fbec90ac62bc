// The pseudo-terminal the simulated device sits on, linked as COMk into a folder.
#pragma once

#include <string>

struct PseudoTerminal {
    int master = -1;
    // Kept open by the device itself, so that the line does not read as hung up before the
    // program opens it and so that its line settings persist between the program's opens.
    int slave = -1;
    // Readable when a program closes the slave, also by being killed (inotify).
    int close_watch = -1;
    std::string slave_path;
    std::string link_path;
};

// Opens a raw 38400 8N2 pseudo-terminal and links its slave as <folder>/COM<port>; a stale
// link of that name is replaced, but a link that leads to a live simulated device is not.
// Returns 1, -1 with `error` set when the link belongs to a live device, or 0 with `error`.
int open_linked_pseudo_terminal(const std::string& folder, int port, PseudoTerminal& terminal,
                                std::string& error);

// A program that was killed leaves the terminal's exclusive flag set, and because the device
// keeps the slave open the flag would lock every later program of a normal user out. When the
// flag is set but no process has the terminal open any more, the flag is cleared; a live
// program that set it keeps it. Empties the close watch. Returns 1 when the flag is set and a
// program still holds the port (or seems to: a program that is just ending may still show its
// descriptor for a moment), else 0.
int release_abandoned_port(PseudoTerminal& terminal);

// Removes the link, when it still is this device's own, and closes both sides.
void close_pseudo_terminal(PseudoTerminal& terminal);
