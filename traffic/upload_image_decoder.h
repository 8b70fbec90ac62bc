// Decoding of one uploaded side image (2559 bytes of compressed image data) back into the
// ".PWORD" lines of a side block. The data is the image data of the download read back:
//   section 1  4 stretches × 5 channels, each eight groups of 18 values (minima and maxima of
//              four 6-byte columns in pairs, the maxima's base relative to the minima's),
//              positions of the minimum in 4 bits (14 and 15 followed by a bit that adds 2);
//   then the data continues at the next byte position that is a multiple of 3;
//   section 2  the first tail, five groups of 24 values, positions in 5 bits;
//   section 3  channels 0 and 1 of the second tail, two groups of 24 values;
//   section 4  the four trailer bytes.
// Bits are read from bit 0 of each byte up; a field's first bit is its most significant.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr std::size_t upload_image_message_size = 2563;
inline constexpr std::size_t upload_image_data_size = 2559;

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

enum class GroupPositions { main_part, tail };

// Decodes a group of `count` values (at most 24) into `values`, each kept as its low 8 bits.
// `base_offset` is added to the base read (the first group's base for the second group of a
// main-part pair). Returns the base, the offset of a following paired group.
int read_group(BitReader& reader, int count, GroupPositions positions, int base_offset,
               std::uint8_t* values);

// The lines of sections 1 to 4 of a side, empty lines included, each ending with CR LF.
std::string decode_side_image(const std::uint8_t* data, std::size_t length);
