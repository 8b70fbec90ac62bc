// Builds made description file texts for the download tests: one side block is its header
// token, 130 data lines (120 main, 10 tail) and the trailer line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

inline constexpr int made_data_lines = 130;

// The byte `index` (0..23) of data line `line` (0..129).
using MadeLineBytes = std::function<std::uint8_t(int line, int index)>;

inline std::string made_pword_line(const std::uint8_t* bytes, int words) {
    std::string line = ".PWORD ";
    for (int w = 0; w < words; ++w) {
        char word[12];
        std::snprintf(word, sizeof word, "%s0x%02X%02X%02X", w ? "," : "", bytes[3 * w],
                      bytes[3 * w + 1], bytes[3 * w + 2]);
        line += word;
    }
    return line + "\r\n";
}

inline std::string made_side(const std::string& header, const MadeLineBytes& bytes,
                             std::uint8_t trailer_min = 0x1A, std::uint8_t trailer_max = 0x2B) {
    std::string text = header + "\r\n";
    for (int line = 0; line < made_data_lines; ++line) {
        std::uint8_t values[24];
        for (int i = 0; i < 24; ++i)
            values[i] = bytes(line, i);
        text += made_pword_line(values, 8);
        if (line % 6 == 5 && line < 120)
            text += "\r\n";
    }
    const std::uint8_t trailer[6] = {0, 0, trailer_min, trailer_max, 0xFF, 0xFF};
    return text + made_pword_line(trailer, 2) + "\r\n\r\n\r\n";
}

inline std::string made_side_of_value(const std::string& header, std::uint8_t value) {
    return made_side(header, [value](int, int) { return value; });
}

// Pseudo-random bytes in [low, low + span), fixed by the seed.
inline MadeLineBytes noise_bytes(unsigned seed, int low, int span) {
    return [seed, low, span](int line, int index) {
        unsigned x = seed * 2654435761u + static_cast<unsigned>(line * 24 + index) * 40503u;
        x ^= x >> 13;
        x *= 0x5bd1e995u;
        x ^= x >> 15;
        return static_cast<std::uint8_t>(low + static_cast<int>(x % static_cast<unsigned>(span)));
    };
}
