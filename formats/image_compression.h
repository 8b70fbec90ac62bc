// Compression of the image data of a made description file into the device's image buffer.
//
// Each side block of the made file (header token, 120 main lines, 10 tail lines, trailer
// line) becomes: the main part (20 stretches of six lines, eight groups of 18 values each),
// padded to a 24-bit word; then the first tail as five groups of 24 values, channels 0 and 1
// of the second tail as two more (the device keeps no other channel of it), the four trailer
// bytes, padded to a word again. Sides follow each other in the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

inline constexpr std::size_t image_buffer_size = 307200;
// The buffer travels in data frames of this many bytes, at most this many of them.
inline constexpr int image_block_size = 1536;
inline constexpr int max_image_blocks = 158;
inline constexpr std::uint32_t max_side_bytes = 2560;
inline constexpr int stretches_per_side = 20;
inline constexpr int lines_per_stretch = 6;
inline constexpr int lines_per_tail = 5;

struct CompressedImages {
    std::vector<std::uint8_t> data;       // image_buffer_size bytes, unused ones zero
    std::vector<std::uint32_t> side_ends; // [0] = 0, [t] = end of side t in `data`
    std::vector<std::uint32_t> main_ends; // [0] = 0, [t] = end of the main part of side t
};

enum CompressionResult : int {
    compression_done = 1,
    compression_wrong_format = 0, // a token of another shape, or the text ends inside a side
    compression_side_too_big = -1,
};

struct CompressionFault {
    int line = 0; // wrong format: the line of the made file
    int side = 0; // side too big: its number (from 1) and its size in bytes
    std::uint32_t size = 0;
};

// Compresses every side of `made_text`, which must hold at most 120 sides (so that sides of
// at most 2560 bytes fill at most the whole buffer). Each side's size is checked as soon as
// it is complete; the first side larger than 2560 bytes stops the compression. Never writes
// past the buffer.
int compress_made_file(std::string_view made_text, CompressedImages& images,
                       CompressionFault& fault);
