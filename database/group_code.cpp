#include "database/group_code.h"

#include <algorithm>

namespace {

constexpr int base_escape = 127;

// Writes the base field and returns the value the reader takes from it.
int put_base_field(BitWriter& writer, int field) {
    if (field < base_escape) {
        put_bits(writer, static_cast<unsigned>(field), 7);
        return field;
    }
    const int extra = std::min(field - base_escape, 127);
    put_bits(writer, base_escape, 7);
    put_bits(writer, static_cast<unsigned>(extra), 7);
    return base_escape + extra;
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
    const int minimum = *low;
    const int difference = minimum - reference;
    // The reader keeps the low 8 bits of reference + field, so a negative difference is written
    // as difference + 256 (escaped like any base above 126). Its low 7 bits alone would come
    // back 128 too high from -128 to -1, where maxima lie below their minima. Only -1 (255)
    // cannot be written: it comes back one below.
    const int field = difference < 0 ? difference + 256 : difference;
    const int rebuilt_base = reference + put_base_field(writer, field);

    const int group_class = group_class_of(*high - minimum);
    put_bits(writer, static_cast<unsigned>(group_class), 2);
    const int position = static_cast<int>(low - values); // minmax_element finds the first
    put_position(writer, position, position_code);
    for (int i = 0; i < count; ++i)
        if (i != position)
            put_distance(writer, values[i] - minimum, group_class);
    return rebuilt_base;
}
