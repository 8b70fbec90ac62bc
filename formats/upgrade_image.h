// The upgrade image: a file of little-endian 32-bit words whose low three bytes are controller
// program data. The tool sends it packed (three bytes a word) in blocks of 192 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr const char* upgrade_image_name = "ORNIVEX_VARDEN1_UPGRADE_VERS29_Z4b.bin";
inline constexpr std::size_t upgrade_block_size = 192;
// 65536 words: the whole 16-bit word-addressed program space of the controller, far above any
// real image (the current one is 4608 words); a larger file is not an upgrade image.
inline constexpr std::size_t upgrade_image_max_size = 262144;

// Results of read_upgrade_image.
enum UpgradeImageResult : int {
    image_loaded = 1,
    image_missing = 0,
    image_unreadable = -1,
    image_empty = -2,
    image_not_words = -3,
    image_too_large = -4,
};

// Reads the image file at `path` into `image`. Returns image_loaded or the reason it cannot
// be used; `image` is left empty then.
int read_upgrade_image(const std::string& path, std::vector<std::uint8_t>& image);

// The error line shown for a failed read_upgrade_image result.
std::string upgrade_image_error_text(int result);

// Drops the fourth byte of every word and pads with zero bytes to a multiple of 192 bytes.
// `length` is a multiple of 4; a trailing partial word is ignored.
std::vector<std::uint8_t> pack_upgrade_image(const std::uint8_t* image, std::size_t length);

// Number of 192-byte blocks of a packed image.
int upgrade_block_count(std::size_t packed_length);

// Sum over the three-byte program words of first + 256 * second + third byte. The third byte
// is added unshifted: that is what the controller's memory test computes.
std::uint32_t upgrade_image_checksum(const std::uint8_t* packed, std::size_t length);
