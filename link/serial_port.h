// The serial ports COM1..COM30 and the byte-level primitives every exchange with the device
// goes through. There is one current port; every read and write goes to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr int first_port_number = 1;
inline constexpr int last_port_number = 30;

// The device file behind "COMk": an entry named COMk in the working folder (a link to a
// serial device or pseudo-terminal) wins; otherwise COM1-10 are /dev/ttyS0-9, COM11-20
// /dev/ttyUSB0-9 and COM21-30 /dev/ttyACM0-9. Empty for a number outside 1..30.
std::string port_device_path(int number);

// Only the chosen port is ever held. Taking a port: it is not taken when another program uses
// it (link/port_in_use.h), and then nothing of it is touched; otherwise it gets the exclusive
// flag and the advisory lock, and its settings are saved. Releasing a port (another choice,
// the end of the program, a hang-up) clears the flag and puts the saved settings back.

// Makes `number` (1..30) the chosen port and holds it (releasing the port held before),
// configured. Returns 1, or 0 when the port cannot be had (missing, or in use elsewhere).
int open_port(int number);

// The port selection: `number` 1..30 becomes the chosen port and is held as by open_port (a
// port already held stays as it is); any other number keeps the current port. The current
// port is configured.
void select_port(int number);

// Applies 38400 baud, 8 data bits, no parity, 2 stop bits, raw, no flow control to the
// current port. Failures only show up later as missing replies.
void configure_port();

// One read attempt: the byte as 0..255, or -1 when none is waiting. Never waits.
int read_byte_now();

// The first byte that arrives within `ms` milliseconds as 0..255, or -1 after the budget.
// Makes at least one read attempt; waits in poll(), not in a spin.
int read_byte_within(int ms);

// Discards pending input and output, writes all `count` bytes and waits until the driver has
// sent them (a signal interrupts none of it). Returns 1 when every byte went out, 0 when the
// port is closed or failed (a failed port is closed). The one write path of the link.
int purge_and_write(const std::uint8_t* buffer, std::size_t count);

// Names the current port in the traffic log (when one runs): COMk, its device, or that it is
// not held.
void log_current_port();

// The descriptor of the current port, or -1: lets a window loop sleep until a byte arrives.
int current_port_descriptor();

// The chosen port's number (1..30), held or not.
int current_port_number();

// What became of the chosen port since the last call.
enum class PortChange {
    none,
    gone, // it went away while held (hang-up, I/O error, its node or link target removed)
    back, // its path leads to a device again: it is held again, configured
};

// Reads the watch of the chosen port's path without waiting and tells what became of the
// port; a port that went away is taken up again here when its path is there again. Call it
// until it returns none: a port can be gone and back in one change of its folder.
PortChange take_port_change();

// Readable when the folders of the chosen port's path or its link target change (inotify:
// nothing is polled), so that a sleeping loop calls take_port_change(); -1 before any port
// was held.
int port_watch_descriptor();

// Releases the port held; it stays the chosen one (selecting it again takes it again).
void close_current_port();

// Releases the port held at the end of the program, so that the next program, a normal user's
// too, finds it as it was. Async-signal-safe: a signal handler may call it.
void close_all_ports();
