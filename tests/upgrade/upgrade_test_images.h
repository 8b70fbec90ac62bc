// Upgrade images for the tests: seeded 32-bit words whose fourth byte is never zero, so that a
// packing that keeps it shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

inline std::vector<std::uint8_t> make_test_image(std::size_t words, unsigned seed = 7) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> image;
    for (std::size_t i = 0; i < words; ++i) {
        const std::uint32_t word = static_cast<std::uint32_t>(random()) | 0x80000000u;
        for (int byte = 0; byte < 4; ++byte)
            image.push_back(static_cast<std::uint8_t>(word >> (8 * byte)));
    }
    return image;
}

// 72 blocks of 192 bytes once packed: 4608 words.
inline constexpr std::size_t full_image_words = 4608;
