// The question-and-answer dialogue of the upgrade tool, over any input and output stream and
// any port, so that it runs against the serial line as well as against a port in memory.
#pragma once

#include "formats/upgrade_frames.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// The port operations the upgrade needs. The tool fills them from the serial link.
struct UpgradePort {
    std::function<int(int number)> open;                        // 1 opened, 0 failed
    std::function<int(const std::uint8_t*, std::size_t)> write; // purge, then write; 1 or 0
    ByteReader read_byte_within;
    std::function<void()> close;
    std::function<void(int ms)> pause;
    // Name the frame just written and the reply just read, for a traffic log; may be empty.
    std::function<void(std::string_view what)> name_sent;
    std::function<void(std::string_view what)> name_received;
};

inline constexpr int lowest_com_number = 1;
inline constexpr int highest_com_number = 20;
inline constexpr int success_pause_ms = 3500;

// The decimal value at the start of `word` (optional sign, then digits); 0 when there is none.
// Values beyond the int range saturate.
int com_number_value(const std::string& word);

// The text printed for a failed exchange after the switch command; code 8 of a write frame
// has its own text (write_memory_error_text).
std::string upgrade_failure_text(int code);
std::string write_memory_error_text(int first_block);

// Runs the whole dialogue with the upgrade image (32-bit words as read from the file).
// Returns the exit code, 0 on every way out. End of input ends the dialogue.
int run_upgrade_dialogue(std::istream& in, std::ostream& out, const UpgradePort& port,
                         const std::vector<std::uint8_t>& image);
