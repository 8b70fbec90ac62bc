#include "formats/image_code.h"

#include <algorithm>

namespace {

void store_current(BitWriter& writer) {
    if (writer.byte_index < writer.capacity)
        writer.buffer[writer.byte_index] = writer.current;
}

} // namespace

void put_bits(BitWriter& writer, unsigned value, int n) {
    for (int bit = n - 1; bit >= 0; --bit) {
        writer.current =
            static_cast<std::uint8_t>((writer.current >> 1) | (((value >> bit) & 1u) << 7));
        if (++writer.bit_count == 8) {
            store_current(writer);
            ++writer.byte_index;
            writer.current = 0;
            writer.bit_count = 0;
        }
    }
    if (writer.bit_count > 0)
        store_current(writer);
}

std::size_t align_to_word(BitWriter& writer) {
    if (writer.bit_count > 0)
        put_bits(writer, 0, 8 - writer.bit_count);
    while (writer.byte_index % 3 != 0) {
        store_current(writer); // current is 0 here: the padding byte
        ++writer.byte_index;
    }
    return writer.byte_index;
}

namespace {

constexpr int base_escape = 127;

// Writes the base field and returns the value the reader takes from it.
// The base field is 7 bits, escaped by 127 to a second 7-bit field, so it reaches 254.
void put_base_field(BitWriter& writer, int field) {
    if (field < base_escape) {
        put_bits(writer, static_cast<unsigned>(field), 7);
        return;
    }
    put_bits(writer, base_escape, 7);
    put_bits(writer, static_cast<unsigned>(field - base_escape), 7);
}

// The base the reader rebuilds, as a byte: the minimum where the field reaches it. The reader
// adds the field (0..254) to the reference and keeps the low 8 bits, so only reference - 1
// (modulo 256) is out of reach: the base is then one below the minimum, or one above it where
// the minimum is 0 (below it would turn to 255).
int carried_base(int minimum, int reference) {
    if (((minimum - reference) & 0xFF) != 0xFF)
        return minimum;
    return minimum > 0 ? minimum - 1 : minimum + 1;
}

int group_class_of(int spread) {
    if (spread < 16)
        return 0;
    if (spread < 32)
        return 1;
    if (spread < 64)
        return 2;
    return 3;
}

void put_position(BitWriter& writer, int position, PositionCode position_code) {
    if (position_code == PositionCode::tail) {
        put_bits(writer, static_cast<unsigned>(position), 5);
        return;
    }
    if (position < 14) {
        put_bits(writer, static_cast<unsigned>(position), 4);
        return;
    }
    // 1110 or 1111 for 14 or 15, then a bit that adds 2.
    static constexpr unsigned long_codes[] = {28, 30, 29, 31};
    put_bits(writer, long_codes[position - 14], 5);
}

void put_distance(BitWriter& writer, int distance, int group_class) {
    static constexpr int widths[] = {4, 4, 5, 6};
    const int width = widths[group_class];
    if (group_class == 0) {
        put_bits(writer, static_cast<unsigned>(distance), width);
        return;
    }
    if (distance < 126) {
        put_bits(writer, static_cast<unsigned>(distance / 2), width);
        return;
    }
    put_bits(writer, 63, width);
    put_bits(writer, static_cast<unsigned>(std::min((distance - 126) / 2, 63)), width);
}

} // namespace

int put_group(BitWriter& writer, const std::uint8_t* values, int count, int reference,
              PositionCode position_code) {
    const auto [low, high] = std::minmax_element(values, values + count);
    const int base = carried_base(*low, reference);
    const int field = (base - reference) & 0xFF;
    put_base_field(writer, field);

    // Distances are taken from the base the reader rebuilds, not from the minimum, so a base
    // one off the minimum costs at most the one that halving costs anyway.
    const auto distance_of = [base](int value) { return std::max(value - base, 0); };
    const int group_class = group_class_of(distance_of(*high));
    put_bits(writer, static_cast<unsigned>(group_class), 2);
    const int position = static_cast<int>(low - values); // minmax_element finds the first
    put_position(writer, position, position_code);
    for (int i = 0; i < count; ++i)
        if (i != position)
            put_distance(writer, distance_of(values[i]), group_class);
    return reference + field;
}

namespace {

int read_position(BitReader& reader, PositionCode position_code) {
    if (position_code == PositionCode::tail)
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

int read_group(BitReader& reader, int count, PositionCode position_code, int base_offset,
               std::uint8_t* values) {
    int base = static_cast<int>(read_field(reader, 7));
    if (base == 127)
        base += static_cast<int>(read_field(reader, 7));
    base += base_offset;
    const int mode = static_cast<int>(read_field(reader, 2));
    const int position = read_position(reader, position_code);
    for (int i = 0; i < count; ++i) {
        const int value = i == position ? base : base + read_distance(reader, mode);
        values[i] = static_cast<std::uint8_t>(value);
    }
    return base;
}
