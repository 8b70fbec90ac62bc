// Pure helpers of the simulated device's command language: one command per line, words
// separated by blanks, '#' starting a comment.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The words of a script line without its comment; empty for a blank or comment-only line.
std::vector<std::string> script_words(std::string_view line);

// A decimal or 0x-prefixed hexadecimal number within [low, high]. Returns 1 and sets `value`,
// or 0 when the word is not such a number.
int parse_number(const std::string& word, long low, long high, long& value);

// A script argument 0..high named `name` in the message when it is not such a number, e.g.
// "COUNT 'x' is not 0..1000". Returns 1 and sets `value`, or 0.
int parse_argument(const std::string& word, const char* name, long high, int& value,
                   std::string& message);

// Appends the bytes written as hexadecimal digit pairs ("AA", "aa5501", "0xAA") to `bytes`.
// Returns 1, or 0 when a word has an odd number of digits or a non-hexadecimal character.
int parse_hex_bytes(const std::vector<std::string>& words, std::vector<std::uint8_t>& bytes);

// Upper-case hexadecimal digit pairs without separators.
std::string hex_text(const std::uint8_t* bytes, std::size_t count);
