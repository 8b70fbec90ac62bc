// Hexadecimal digits as the made files, the traffic log and the simulator's scripts write
// and read them.
#pragma once

#include <cstdint>
#include <string>

// The value of a hexadecimal digit (either case), or -1 for any other character.
int hex_digit_value(char c);

// Appends `byte` as two upper-case digits.
void append_hex_byte(std::string& text, std::uint8_t byte);
