#include "database/display_alphabet.h"

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
