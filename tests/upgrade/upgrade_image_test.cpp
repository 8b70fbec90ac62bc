#include "formats/upgrade_image.h"
#include "tests/upgrade/upgrade_test_images.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

// The program word of word `i` of the image, read as a 32-bit little-endian value.
std::uint32_t word_at(const std::vector<std::uint8_t>& image, std::size_t i) {
    return image[4 * i] | (image[4 * i + 1] << 8) | (image[4 * i + 2] << 16) |
           (static_cast<std::uint32_t>(image[4 * i + 3]) << 24);
}

TEST(UpgradeImagePacking, KeepsThreeLowBytesOfEveryWordAndPadsWithZeros) {
    for (std::size_t words :
         {std::size_t{1}, std::size_t{63}, std::size_t{64}, std::size_t{100}, full_image_words}) {
        SCOPED_TRACE(words);
        const auto image = make_test_image(words);
        const auto packed = pack_upgrade_image(image.data(), image.size());
        const std::size_t program_bytes = 3 * words;
        EXPECT_EQ(packed.size() % 192, 0u);
        EXPECT_GE(packed.size(), program_bytes);
        EXPECT_LT(packed.size(), program_bytes + 192);
        for (std::size_t i = 0; i < words; ++i) {
            const std::uint32_t word = word_at(image, i);
            ASSERT_EQ(packed[3 * i], word & 0xFF) << i;
            ASSERT_EQ(packed[3 * i + 1], (word >> 8) & 0xFF) << i;
            ASSERT_EQ(packed[3 * i + 2], (word >> 16) & 0xFF) << i;
        }
        for (std::size_t i = program_bytes; i < packed.size(); ++i)
            ASSERT_EQ(packed[i], 0) << i;
    }
}

TEST(UpgradeImagePacking, BlockCounts) {
    const auto full = make_test_image(full_image_words);
    const auto packed = pack_upgrade_image(full.data(), full.size());
    EXPECT_EQ(packed.size(), 13824u);
    EXPECT_EQ(upgrade_block_count(packed.size()), 72);

    // 75 blocks are 4800 words; one word more needs a 76th, zero-padded block.
    const auto longer = make_test_image(4800);
    EXPECT_EQ(upgrade_block_count(pack_upgrade_image(longer.data(), longer.size()).size()), 75);
    const auto one_more = make_test_image(4801);
    EXPECT_EQ(upgrade_block_count(pack_upgrade_image(one_more.data(), one_more.size()).size()), 76);
}

TEST(UpgradeImageChecksum, AddsTheThirdByteUnshifted) {
    // Word 0x00030201: 1 + 256 * 2 + 3, not 1 + 256 * 2 + 65536 * 3.
    const std::vector<std::uint8_t> one_word = {0x01, 0x02, 0x03, 0xFF};
    const auto packed = pack_upgrade_image(one_word.data(), one_word.size());
    EXPECT_EQ(upgrade_image_checksum(packed.data(), packed.size()), 1u + 512u + 3u);

    const auto image = make_test_image(full_image_words, 99);
    std::uint32_t expected = 0;
    for (std::size_t i = 0; i < full_image_words; ++i) {
        const std::uint32_t word = word_at(image, i);
        expected += (word & 0xFF) + 256 * ((word >> 8) & 0xFF) + ((word >> 16) & 0xFF);
    }
    const auto full = pack_upgrade_image(image.data(), image.size());
    EXPECT_EQ(upgrade_image_checksum(full.data(), full.size()), expected);
}

class UpgradeImageFile : public ::testing::Test {
protected:
    void SetUp() override {
        path = (std::filesystem::temp_directory_path() /
                ("upgrade_image_test_" + std::to_string(::getpid()) + ".bin"))
                   .string();
    }
    void TearDown() override { std::filesystem::remove(path); }
    void write_bytes(std::size_t count) {
        std::ofstream file(path, std::ios::binary);
        const auto image = make_test_image((count + 3) / 4);
        file.write(reinterpret_cast<const char*>(image.data()),
                   static_cast<std::streamsize>(count));
    }
    std::string path;
};

TEST_F(UpgradeImageFile, ReadsAWholeFileOfWords) {
    write_bytes(18432);
    std::vector<std::uint8_t> image;
    ASSERT_EQ(read_upgrade_image(path, image), image_loaded);
    EXPECT_EQ(image, make_test_image(4608));
}

TEST_F(UpgradeImageFile, RefusesFilesThatAreNoImage) {
    std::vector<std::uint8_t> image;
    EXPECT_EQ(read_upgrade_image(path, image), image_missing);
    write_bytes(0);
    EXPECT_EQ(read_upgrade_image(path, image), image_empty);
    write_bytes(18433);
    EXPECT_EQ(read_upgrade_image(path, image), image_not_words);
    write_bytes(upgrade_image_max_size + 4);
    EXPECT_EQ(read_upgrade_image(path, image), image_too_large);
    EXPECT_TRUE(image.empty());
    write_bytes(upgrade_image_max_size);
    EXPECT_EQ(read_upgrade_image(path, image), image_loaded);
    EXPECT_EQ(read_upgrade_image(std::filesystem::temp_directory_path().string(), image),
              image_unreadable);
}

TEST(UpgradeImageErrors, NameTheFile) {
    EXPECT_EQ(upgrade_image_error_text(image_missing),
              "\nERROR upgrade file ORNIVEX_VARDEN1_UPGRADE_VERS29_Z4b.bin not found in the "
              "working folder\n");
}

} // namespace
