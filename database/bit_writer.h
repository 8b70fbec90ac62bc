// The bit stream of the compressed image data. Bits are appended most significant first;
// each bit enters the current byte at bit 7 and pushes the earlier ones down, so that in a
// complete byte the first bit written is bit 0 (the device reads each byte from bit 0 up).
#pragma once

#include <cstddef>
#include <cstdint>

struct BitWriter {
    std::uint8_t* buffer = nullptr;
    std::size_t capacity = 0;
    // Bytes begun so far. It keeps counting past `capacity` (those bytes are dropped), so that
    // a side that would not fit is still measured and refused by its size.
    std::size_t byte_index = 0;
    int bit_count = 0; // bits of the current byte already written, 0..7
    std::uint8_t current = 0;
};

// Appends the `n` low bits of `value` (n <= 8), bit n-1 first. The partial byte is stored
// after every call with its unwritten bits 0.
void put_bits(BitWriter& writer, unsigned value, int n);

// Completes a partly written byte with zero bits, then skips zero bytes until the byte index
// is a multiple of 3 (the device addresses the data in 24-bit words). Returns the byte index.
std::size_t align_to_word(BitWriter& writer);
