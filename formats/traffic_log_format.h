// The lines of a traffic log: every byte exchanged with the device, one line per burst,
//   TIME DIR HEX...  # WHAT
// TIME is milliseconds since the program started with three decimals; DIR is ">" for bytes
// sent, "<" for bytes received; HEX the bytes as upper-case pairs; WHAT what the program made
// of them. The programs and the simulated device write the same lines, so that two logs of
// one session read side by side. Pure functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class TrafficDirection { sent, received };

// "# <wall clock> <program> <version> port <port>", without a line end.
std::string traffic_log_header(std::string_view wall_clock, std::string_view program,
                               std::string_view version, std::string_view port);

// Whether `line` is the first line of a traffic log: "# ", a wall clock of the shape
// "2026-01-02 03:04:05", and further on " port ". An existing file is replaced by a new log
// only when it is a log itself.
bool is_traffic_log_header(std::string_view line);

// The last line's WHAT, how the program ended: "end by SIGINT" for a signal (`signal_number`
// > 0), "end, exit status 0" for a program that returned `exit_status` (>= 0), "end" when
// neither is known.
std::string traffic_log_end_note(int signal_number, int exit_status);

// One burst: "1234.567 > AA 55 ... # WHAT" (no "#" part when `what` is empty), without a line
// end. A burst of no bytes names only what happened on that side ("1234.567 < # purged 3").
std::string traffic_log_line(std::int64_t elapsed_us, TrafficDirection direction,
                             const std::uint8_t* bytes, std::size_t count, std::string_view what);

// An event without bytes or side, such as another port: "1234.567 # WHAT".
std::string traffic_note_line(std::int64_t elapsed_us, std::string_view what);

// What the control program's frames and the device's acknowledgements mean, for the WHAT
// part: "command 12 connect", "command 5 image block 3", "command 9 mode 3";
// "acknowledgement 1 accepted", "acknowledgement 4 COM-bufer of ZELK is full" (`result_text`:
// the text of a failed result, or nullptr), "no acknowledgement" for -1.
std::string command_frame_note(const std::uint8_t* frame, std::size_t size);
std::string acknowledgement_note(int result, const char* result_text);
