// The device's seven-segment display alphabet: what a database name looks like on the
// device's display, and the characters it can show.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr int display_name_length = 12;

// The display form of one character: the characters the display can show stay (some change
// case to the form the display shows), '_' becomes '-', everything else a blank.
char display_character(char c);

// The first twelve characters of `name`, each in its display form.
std::string display_db_name_text(std::string_view name);

// Seven-segment codes of the device: segments a..g on bits 0..6, the decimal point on bit 7,
// a segment lit when its bit is 0. 0xFF is a dark position.
inline constexpr std::uint8_t dark_display_code = 0xFF;

using DbNameCode = std::array<std::uint8_t, display_name_length>;

// The code that shows `c` ("5", "S" and "s" share one, as do "0"/"O" and "1"/"I"); a blank
// and every character the display cannot show give 0xFF.
std::uint8_t seven_segment_code(char c);

// The character a code shows, as the device's name is read back (0xC0, 0xF9 and 0x92 read as
// the letters O, I and S); '\0' for a code that shows no character, such as 0xFF.
char seven_segment_character(std::uint8_t code);

// A database name (already in its display form) as the twelve codes sent to the device:
// one per character, 0xFF after the end of the name.
DbNameCode db_name_code(std::string_view display_name);
