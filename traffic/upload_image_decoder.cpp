#include "traffic/upload_image_decoder.h"

#include "database/image_data.h"
#include "files/folder_files.h"
#include "traffic/upl_file.h"

#include <array>

namespace {

constexpr int main_group_values = 18;
constexpr int tail_group_values = 24;

std::string empty_lines(int count) {
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += line_end;
    return lines;
}

std::string data_line(const std::uint8_t* bytes) {
    PwordBytes line;
    std::copy(bytes, bytes + line.size(), line.begin());
    return write_line_24(line, false, 0);
}

int read_position(BitReader& reader, GroupPositions positions) {
    if (positions == GroupPositions::tail)
        return static_cast<int>(read_field(reader, 5));
    int position = static_cast<int>(read_field(reader, 4));
    if (position > 13 && read_field(reader, 1) == 1)
        position += 2;
    return position;
}

int read_distance(BitReader& reader, int mode) {
    switch (mode) {
    case 0: return static_cast<int>(read_field(reader, 4));
    case 1: return 2 * static_cast<int>(read_field(reader, 4));
    case 2: return 2 * static_cast<int>(read_field(reader, 5));
    default: {
        int halved = static_cast<int>(read_field(reader, 6));
        if (halved == 63)
            halved += static_cast<int>(read_field(reader, 6));
        return 2 * halved;
    }
    }
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
                    std::array<std::uint8_t, main_group_values> values{};
                    const int base =
                        read_group(reader, main_group_values, GroupPositions::main_part,
                                   half == 1 ? first_base : 0, values.data());
                    if (half == 0)
                        first_base = base;
                    for (int i = 0; i < main_group_values; ++i)
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

unsigned read_field(BitReader& reader, int bits) {
    unsigned value = 0;
    for (int i = 0; i < bits; ++i, ++reader.bit_position) {
        const std::size_t byte = reader.bit_position / 8;
        const unsigned bit =
            byte < reader.length ? (reader.data[byte] >> (reader.bit_position % 8)) & 1u : 0u;
        value = value << 1 | bit;
    }
    return value;
}

void realign_to_word(BitReader& reader) {
    std::size_t byte = (reader.bit_position + 7) / 8;
    byte += (3 - byte % 3) % 3;
    reader.bit_position = byte * 8;
}

int read_group(BitReader& reader, int count, GroupPositions positions, int base_offset,
               std::uint8_t* values) {
    int base = static_cast<int>(read_field(reader, 7));
    if (base == 127)
        base += static_cast<int>(read_field(reader, 7));
    base += base_offset;
    const int mode = static_cast<int>(read_field(reader, 2));
    const int position = read_position(reader, positions);
    for (int i = 0; i < count; ++i) {
        const int value = i == position ? base : base + read_distance(reader, mode);
        values[i] = static_cast<std::uint8_t>(value);
    }
    return base;
}

std::string decode_side_image(const std::uint8_t* data, std::size_t length) {
    BitReader reader{data, length};
    std::string text = decode_main_part(reader);
    realign_to_word(reader);

    std::array<std::uint8_t, 5 * tail_group_values> tail{};
    for (int channel = 0; channel < 5; ++channel)
        read_group(reader, tail_group_values, GroupPositions::tail, 0,
                   tail.data() + tail_group_values * channel);
    for (int channel = 0; channel < 5; ++channel)
        text += data_line(tail.data() + tail_group_values * channel);
    text += empty_lines(2);

    // Only channels 0 and 1 of the second tail travel: the line of zeros and the fixed pattern
    // line stand in for the rest.
    std::array<std::uint8_t, 2 * tail_group_values> second_tail{};
    read_group(reader, tail_group_values, GroupPositions::tail, 0, second_tail.data());
    read_group(reader, tail_group_values, GroupPositions::tail, 0,
               second_tail.data() + tail_group_values);
    std::array<std::uint8_t, tail_group_values> zeros{};
    std::array<std::uint8_t, tail_group_values> alternating{};
    for (std::size_t i = 1; i < alternating.size(); i += 2)
        alternating[i] = 0xFF;
    const std::string line_b = data_line(second_tail.data() + tail_group_values);
    text += data_line(second_tail.data()) + line_b + data_line(zeros.data()) + line_b +
            data_line(alternating.data()) + empty_lines(2);

    std::array<std::uint8_t, 4> trailer{};
    for (std::uint8_t& byte : trailer)
        byte = static_cast<std::uint8_t>(read_field(reader, 8));
    return text + upl_trailer_line(trailer.data()) + empty_lines(3);
}
