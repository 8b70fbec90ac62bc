#include "formats/upload_image.h"

#include "files/folder_files.h"
#include "formats/image_code.h"
#include "formats/made_file.h"

#include <array>

namespace {

std::string empty_lines(int count) {
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += line_end;
    return lines;
}

std::string data_line(const std::uint8_t* bytes) {
    PwordBytes line;
    std::copy(bytes, bytes + line.size(), line.begin());
    return pword_line(line);
}

// Section 1: four stretches of five channels, six lines each.
std::string decode_main_part(BitReader& reader) {
    std::string text;
    for (int stretch = 0; stretch < 4; ++stretch) {
        for (int channel = 0; channel < 5; ++channel) {
            std::array<std::uint8_t, 144> lines{};
            for (int column = 0; column < 4; ++column) {
                int first_base = 0;
                for (int half = 0; half < 2; ++half) {
                    std::array<std::uint8_t, main_group_size> values{};
                    const int base = read_group(reader, main_group_size, PositionCode::main_part,
                                                half == 1 ? first_base : 0, values.data());
                    if (half == 0)
                        first_base = base;
                    for (int i = 0; i < main_group_size; ++i)
                        lines[half + 2 * (i % 3) + 6 * column + 24 * (i / 3)] = values[i];
                }
            }
            for (int line = 0; line < 6; ++line)
                text += data_line(lines.data() + 24 * line);
            text += empty_lines(channel == 4 ? 3 : 1);
        }
    }
    return text;
}

} // namespace

std::string decode_side_image(const std::uint8_t* data, std::size_t length) {
    BitReader reader{data, length};
    std::string text = decode_main_part(reader);
    realign_to_word(reader);

    std::array<std::uint8_t, 5 * tail_group_size> tail{};
    for (int channel = 0; channel < 5; ++channel)
        read_group(reader, tail_group_size, PositionCode::tail, 0,
                   tail.data() + tail_group_size * channel);
    for (int channel = 0; channel < 5; ++channel)
        text += data_line(tail.data() + tail_group_size * channel);
    text += empty_lines(2);

    // Only channels 0 and 1 of the second tail travel: the line of zeros and the fixed pattern
    // line stand in for the rest.
    std::array<std::uint8_t, 2 * tail_group_size> second_tail{};
    read_group(reader, tail_group_size, PositionCode::tail, 0, second_tail.data());
    read_group(reader, tail_group_size, PositionCode::tail, 0,
               second_tail.data() + tail_group_size);
    std::array<std::uint8_t, tail_group_size> zeros{};
    std::array<std::uint8_t, tail_group_size> alternating{};
    for (std::size_t i = 1; i < alternating.size(); i += 2)
        alternating[i] = 0xFF;
    const std::string line_b = data_line(second_tail.data() + tail_group_size);
    text += data_line(second_tail.data()) + line_b + data_line(zeros.data()) + line_b +
            data_line(alternating.data()) + empty_lines(2);

    std::array<std::uint8_t, 4> trailer{};
    for (std::uint8_t& byte : trailer)
        byte = static_cast<std::uint8_t>(read_field(reader, 8));
    return text + trailer_line(trailer) + empty_lines(3);
}
