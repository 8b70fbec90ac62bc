// The image code of the compressed image data: written by the download, read back from an
// upload. A group of values is written as its minimum
// (the base), a class telling how far the values spread above it, the position of the
// minimum, and for every other position its distance from the base, halved for groups that
// spread 16 or more. The widest distance carried is 252: a group spreading further comes back
// with its highest values at most 3 below.
//
//   base      7 bits; 127 escapes to 127 + a second 7-bit field (so the base reaches 254)
//   class     2 bits: spread < 16, < 32, < 64, otherwise
//   position  main part: 0..13 in 4 bits, 14..17 in 5 bits (11100, 11110, 11101, 11111);
//             tail groups: 0..23 in 5 bits
//   distances 4, 4, 5 or 6 bits by class; class 0 as they are, the others halved; in class 3
//             a halved distance from 63 up is written as 63 and the rest, at most 63
//
// Bits are appended most significant first; each bit enters the current byte at bit 7 and
// pushes the earlier ones down, so that in a complete byte the first bit written is bit 0 (the
// device reads each byte from bit 0 up, and so does the reader).
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

enum class PositionCode { main_part, tail };

inline constexpr int main_group_size = 18;
inline constexpr int tail_group_size = 24;

// Writes a group of `count` values. The reader adds `reference` to the base it reads: the
// base of the first group of a pair for the second one, else 0 (the base field then holds
// the difference, modulo 256). Returns the base the reader rebuilds: the minimum, or where
// the field cannot reach it (the minimum is reference - 1) one beside it; this is the
// reference of a following paired group.
int put_group(BitWriter& writer, const std::uint8_t* values, int count, int reference,
              PositionCode position_code);

// Reads fields from a received byte stream; bits past its end read as 0, so corrupt data
// never makes the reader leave the bytes it was given.
struct BitReader {
    const std::uint8_t* data = nullptr;
    std::size_t length = 0;
    std::size_t bit_position = 0;
};

unsigned read_field(BitReader& reader, int bits);

// Skips the rest of a partly read byte, then to the next byte position that is a multiple
// of 3.
void realign_to_word(BitReader& reader);

// Decodes a group of `count` values (at most 24) into `values`, each kept as its low 8 bits.
// `base_offset` is added to the base read (the first group's base for the second group of a
// main-part pair). Returns the base, the offset of a following paired group.
int read_group(BitReader& reader, int count, PositionCode position_code, int base_offset,
               std::uint8_t* values);
