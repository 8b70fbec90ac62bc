// A line at 38400 baud between a program and the simulated device. varden_sim --pace sends
// at the line's pace, but what the program writes crosses the pseudo-terminal at once. So the
// program's port is a pseudo-terminal of the benchmark, and a relay thread hands its bytes on
// to the device's port at the line's pace: both directions then take the time a real line
// takes.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

using Clock = std::chrono::steady_clock;
// 38400 baud, 11 bits a byte (start, 8 data, 2 stop).
inline constexpr double line_bytes_per_second = 38400.0 / 11.0;

struct Relay {
    int program_side = -1; // master of the pseudo-terminal linked as the program's COMk
    int device_side = -1;  // the device's port
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> to_device{0};
    std::atomic<std::size_t> to_program{0};
};

// Program to device at the line's pace (the clock starts when bytes wait after a pause);
// device to program as it comes, the device paces itself. Runs until `relay.stop`.
void run_relay(Relay& relay);

// A pseudo-terminal whose slave is linked as `link`; returns its master, or -1.
int open_linked_terminal(const std::string& link);

// Opens a terminal raw; -1 on failure.
int open_raw(const std::string& path);
