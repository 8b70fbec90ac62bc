#include "formats/display_alphabet.h"

#include <algorithm>
#include <cstring>

char display_character(char c) {
    if (c >= '0' && c <= '9')
        return c;
    if (c != '\0' && std::strchr("ACEFHILOPSU", c))
        return c;
    if (c != '\0' && std::strchr("bcdhinoru", c))
        return c;
    switch (c) {
    case 'B': return 'b';
    case 'D': return 'd';
    case 'N': return 'n';
    case 'R': return 'r';
    case 'a': return 'A';
    case 'e': return 'E';
    case 'f': return 'F';
    case 'l': return 'L';
    case 'p': return 'P';
    case 's': return 'S';
    case '_': return '-';
    default: return ' ';
    }
}

std::string display_db_name_text(std::string_view name) {
    const std::string_view shown =
        name.substr(0, std::min<std::size_t>(name.size(), display_name_length));
    std::string converted;
    converted.reserve(shown.size());
    for (char c : shown)
        converted += display_character(c);
    return converted;
}

namespace {

struct SegmentGlyph {
    char character;
    std::uint8_t code;
};

// Where two characters share a code, the first one listed is the one read back.
constexpr SegmentGlyph segment_glyphs[] = {
    {'O', 0xC0}, {'0', 0xC0}, {'I', 0xF9}, {'1', 0xF9}, {'S', 0x92}, {'5', 0x92}, {'s', 0x92},
    {'2', 0xA4}, {'3', 0xB0}, {'4', 0x99}, {'6', 0x82}, {'7', 0xF8}, {'8', 0x80}, {'9', 0x90},
    {'A', 0x88}, {'a', 0x88}, {'b', 0x83}, {'B', 0x83}, {'C', 0xC6}, {'c', 0xA7}, {'d', 0xA1},
    {'D', 0xA1}, {'E', 0x86}, {'e', 0x86}, {'F', 0x8E}, {'f', 0x8E}, {'H', 0x89}, {'h', 0x8B},
    {'i', 0xEF}, {'L', 0xC7}, {'l', 0xC7}, {'n', 0xAB}, {'N', 0xAB}, {'o', 0xA3}, {'P', 0x8C},
    {'p', 0x8C}, {'r', 0xAF}, {'R', 0xAF}, {'U', 0xC1}, {'u', 0xE3}, {'-', 0xBF},
};

} // namespace

std::uint8_t seven_segment_code(char c) {
    for (const SegmentGlyph& glyph : segment_glyphs)
        if (glyph.character == c)
            return glyph.code;
    return dark_display_code;
}

char seven_segment_character(std::uint8_t code) {
    for (const SegmentGlyph& glyph : segment_glyphs)
        if (glyph.code == code)
            return glyph.character;
    return '\0';
}

DbNameCode db_name_code(std::string_view display_name) {
    DbNameCode codes;
    codes.fill(dark_display_code);
    for (std::size_t i = 0; i < codes.size() && i < display_name.size(); ++i)
        codes[i] = seven_segment_code(display_name[i]);
    return codes;
}
