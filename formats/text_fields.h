// Fixed-width fields of the analysis and result lines. Every line keeps its columns whatever
// the values are: a number whose decimal text is longer than its field leaves the field blank,
// and a text byte that cannot be shown becomes a blank.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class FieldAlign {
    centre,       // of the blanks, the smaller half goes left, the larger right
    centre_right, // of the blanks, the larger half goes left
    right,        // all blanks on the left
};

// The decimal text of `value` placed in `width` characters. A text longer than `max_length`
// (which defaults to the width) gives `width` blanks.
std::string number_field(std::int64_t value, std::size_t width, FieldAlign align,
                         std::size_t max_length);
inline std::string number_field(std::int64_t value, std::size_t width, FieldAlign align) {
    return number_field(value, width, align, width);
}

// `count` bytes as text, each byte outside printable ASCII (0x20..0x7E) shown as a blank, so
// that a control byte or NUL from the device or a file cannot break a line or its columns.
std::string printable_text(const std::uint8_t* bytes, std::size_t count);
