#include "database/bit_writer.h"

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
