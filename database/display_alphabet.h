// The device's seven-segment display alphabet: what a database name looks like on the
// device's display, and the characters it can show.
#pragma once

#include <string>
#include <string_view>

inline constexpr int display_name_length = 12;

// The display form of one character: the characters the display can show stay (some change
// case to the form the display shows), '_' becomes '-', everything else a blank.
char display_character(char c);

// The first twelve characters of `name`, each in its display form.
std::string display_db_name_text(std::string_view name);
