// Decoding of one uploaded side image (2559 bytes of compressed image data) back into the
// ".PWORD" lines of a side block. The data is the image data of the download read back:
//   section 1  4 stretches × 5 channels, each eight groups of 18 values (minima and maxima of
//              four 6-byte columns in pairs, the maxima's base relative to the minima's),
//              positions of the minimum in 4 bits (14 and 15 followed by a bit that adds 2);
//   then the data continues at the next byte position that is a multiple of 3;
//   section 2  the first tail, five groups of 24 values, positions in 5 bits;
//   section 3  channels 0 and 1 of the second tail, two groups of 24 values;
//   section 4  the four trailer bytes.
// The fields are those of the image code (formats/image_code.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr std::size_t upload_image_message_size = 2563;
inline constexpr std::size_t upload_image_data_size = 2559;

// The lines of sections 1 to 4 of a side, empty lines included, each ending with CR LF.
std::string decode_side_image(const std::uint8_t* data, std::size_t length);
