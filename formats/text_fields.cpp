#include "formats/text_fields.h"

std::string number_field(std::int64_t value, std::size_t width, FieldAlign align,
                         std::size_t max_length) {
    const std::string digits = std::to_string(value);
    if (digits.size() > max_length || digits.size() > width)
        return std::string(width, ' ');
    const std::size_t blanks = width - digits.size();
    std::size_t left = blanks;
    if (align == FieldAlign::centre)
        left = blanks / 2;
    else if (align == FieldAlign::centre_right)
        left = blanks - blanks / 2;
    return std::string(left, ' ') + digits + std::string(blanks - left, ' ');
}

std::string printable_text(const std::uint8_t* bytes, std::size_t count) {
    std::string text(count, ' ');
    for (std::size_t i = 0; i < count; ++i) {
        if (bytes[i] >= 0x20 && bytes[i] <= 0x7E)
            text[i] = static_cast<char>(bytes[i]);
    }
    return text;
}
