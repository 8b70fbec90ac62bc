#include "formats/upgrade_image.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

constexpr std::size_t bytes_per_word = 4;
constexpr std::size_t program_bytes_per_word = 3;

} // namespace

int read_upgrade_image(const std::string& path, std::vector<std::uint8_t>& image) {
    image.clear();
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return image_missing;
    if (!std::filesystem::is_regular_file(status))
        return image_unreadable;
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        return image_unreadable;
    if (size == 0)
        return image_empty;
    if (size > upgrade_image_max_size)
        return image_too_large;
    if (size % bytes_per_word != 0)
        return image_not_words;

    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    // The file may have changed between the size check and the read.
    if (!file || file.gcount() != static_cast<std::streamsize>(bytes.size()) ||
        file.peek() != std::ifstream::traits_type::eof())
        return image_unreadable;
    image = std::move(bytes);
    return image_loaded;
}

std::string upgrade_image_error_text(int result) {
    const std::string start = std::string("\nERROR upgrade file ") + upgrade_image_name;
    switch (result) {
    case image_missing: return start + " not found in the working folder\n";
    case image_empty: return start + " is empty\n";
    case image_not_words: return start + ": length is not a multiple of 4 bytes\n";
    case image_too_large:
        return start + " is larger than " + std::to_string(upgrade_image_max_size) + " bytes\n";
    default: return start + " cannot be read\n";
    }
}

std::vector<std::uint8_t> pack_upgrade_image(const std::uint8_t* image, std::size_t length) {
    const std::size_t words = length / bytes_per_word;
    std::vector<std::uint8_t> packed;
    const std::size_t program_length = words * program_bytes_per_word;
    const std::size_t blocks = (program_length + upgrade_block_size - 1) / upgrade_block_size;
    packed.reserve(blocks * upgrade_block_size);
    for (std::size_t word = 0; word < words; ++word) {
        const std::uint8_t* at = image + word * bytes_per_word;
        packed.insert(packed.end(), at, at + program_bytes_per_word);
    }
    packed.resize(blocks * upgrade_block_size, 0);
    return packed;
}

int upgrade_block_count(std::size_t packed_length) {
    return static_cast<int>(packed_length / upgrade_block_size);
}

std::uint32_t upgrade_image_checksum(const std::uint8_t* packed, std::size_t length) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + program_bytes_per_word <= length; i += program_bytes_per_word)
        sum += packed[i] + 256u * packed[i + 1] + packed[i + 2];
    return sum;
}
