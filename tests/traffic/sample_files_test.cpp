#include "files/folder_files.h"
#include "formats/sample_file.h"
#include "formats/sample_names.h"
#include "sim/sample_generator.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

const std::string prefix = "A_10_1_";

std::vector<std::uint8_t> bytes_of(const SampleBuffer& buffer) {
    return {buffer.begin(), buffer.end()};
}

// Usual samples of one note stored under `numbers`.
void store_samples(const TempFolder& folder, const std::vector<int>& numbers) {
    for (const int n : numbers)
        folder.write(sample_file_name(prefix, n),
                     bytes_of(generate_sample(7, static_cast<std::uint32_t>(n))));
}

std::int32_t distance_in(const TempFolder& folder, const SampleBuffer& sample) {
    return envelope_distance(sample, prefix, folder.path(), list_folder(folder.path()));
}

} // namespace

TEST(Envelope, DistanceFromTheTenStoredSamples) {
    TempFolder folder;
    store_samples(folder, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    const SampleBuffer fifth = generate_sample(7, 5);
    EXPECT_EQ(distance_in(folder, fifth), 0);

    // One byte 20 above the maximum of its position, all else inside: 20 squared.
    Envelope envelope;
    reset_envelope(envelope);
    add_sample_files_to_envelope(envelope, folder.path(), prefix, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    SampleBuffer sample = fifth;
    std::size_t at = 0;
    while (envelope.maximum[at] > 200)
        ++at;
    sample[at] = static_cast<std::uint8_t>(envelope.maximum[at] + 20);
    EXPECT_EQ(distance_in(folder, sample), 400);

    // Below the minimum counts the same way.
    sample = fifth;
    sample[at] = static_cast<std::uint8_t>(envelope.minimum[at] - 3);
    EXPECT_EQ(distance_in(folder, sample), 9);

    EXPECT_GT(distance_in(folder, generate_sample(7, 99, SampleKind::far)), wrong_image_distance);
    EXPECT_LT(distance_in(folder, generate_sample(7, 99)), wrong_image_distance);
}

TEST(Envelope, UsesTheTenLowestExistingNumbersUpTo999) {
    TempFolder folder;
    store_samples(folder, {1, 2, 5, 6, 7, 8, 9, 10, 11});
    const SampleBuffer far = generate_sample(7, 50, SampleKind::far);
    folder.write(sample_file_name(prefix, 1000), bytes_of(far));
    // Nine files up to 999 (1000 does not count): no comparison.
    EXPECT_EQ(distance_in(folder, far), 0);

    folder.write(sample_file_name(prefix, 13), bytes_of(far));
    store_samples(folder, {12});
    // 1, 2, 5..12 form the envelope; 13 (equal to the sample) is not among them.
    EXPECT_GT(distance_in(folder, far), wrong_image_distance);
}

TEST(Envelope, ShortFilesContributeWhatTheyHave) {
    Envelope envelope;
    reset_envelope(envelope);
    add_to_envelope(envelope, std::vector<std::uint8_t>{10, 20});
    add_to_envelope(envelope, std::vector<std::uint8_t>(3000, 15));
    EXPECT_EQ(envelope.minimum[0], 10);
    EXPECT_EQ(envelope.maximum[1], 20);
    EXPECT_EQ(envelope.minimum[2047], 15);
}

TEST(Envelope, PositionsNoFileReachesCountBothExcursions) {
    TempFolder folder;
    for (int n = 1; n <= 10; ++n)
        folder.write(sample_file_name(prefix, n), std::vector<std::uint8_t>(1561, 100));
    SampleBuffer sample{};
    std::fill_n(sample.begin(), 1561, std::uint8_t{100});
    sample[1561] = 10; // above maximum 0x00 by 10, below minimum 0xFF by 245
    EXPECT_EQ(distance_in(folder, sample), 10 * 10 + 245 * 245);
}

TEST(SampleNumbers, NextNumberAfterDeletions) {
    TempFolder folder;
    store_samples(folder, {1, 2, 3});
    EXPECT_EQ(next_sample_number(prefix, list_folder(folder.path())), 4);
    std::filesystem::remove(folder.file(sample_file_name(prefix, 3)));
    EXPECT_EQ(next_sample_number(prefix, list_folder(folder.path())), 3); // the highest is reused
    std::filesystem::remove(folder.file(sample_file_name(prefix, 1)));
    EXPECT_EQ(next_sample_number(prefix, list_folder(folder.path())), 3); // a gap is not filled
    EXPECT_EQ(next_sample_number("B_5_1_", list_folder(folder.path())), 1);
}

TEST(SampleFiles, WriteIsCompleteOrNothing) {
    TempFolder folder;
    const SampleBuffer buffer = generate_sample(3, 1);
    const std::string name = sample_file_name(prefix, 1);
    ASSERT_EQ(write_sample_file(folder.file(name), buffer), 1);
    EXPECT_EQ(folder.read_text(name).size(), sample_buffer_size);
    EXPECT_FALSE(folder.exists(name + ".tmp"));

    // A buffer shorter than a sample is never written.
    EXPECT_EQ(write_sample_file(folder.file("short.bin"),
                                std::span<const std::uint8_t>(buffer.data(), 100)),
              0);
    EXPECT_FALSE(folder.exists("short.bin"));

    // A file that cannot be written leaves nothing under its name.
    std::filesystem::create_directory(folder.file("A_10_1_2.bin.tmp"));
    EXPECT_EQ(write_sample_file(folder.file("A_10_1_2.bin"), buffer), 0);
    EXPECT_FALSE(folder.exists("A_10_1_2.bin"));
}

TEST(SampleFiles, StoredSampleReplyNeverReadsPastItsBuffer) {
    TempFolder folder;
    std::array<std::uint8_t, sample_buffer_size> reply{};
    folder.write("short.bin", std::vector<std::uint8_t>(10, 0xAB));
    EXPECT_EQ(load_stored_sample(folder.file("short.bin"), reply), 1);
    EXPECT_EQ(reply[9], 0xAB);
    EXPECT_EQ(std::count(reply.begin(), reply.end(), 0), 1556);

    std::vector<std::uint8_t> long_file(5000, 0x11);
    long_file[1565] = 0x22;
    folder.write("long.bin", long_file);
    EXPECT_EQ(load_stored_sample(folder.file("long.bin"), reply), 1);
    EXPECT_EQ(reply[1565], 0x22);

    EXPECT_EQ(load_stored_sample(folder.file("none.bin"), reply), 0);
    EXPECT_EQ(std::count(reply.begin(), reply.end(), 0), 1566);
}

TEST(SampleGenerator, ChecksumsAndSeeds) {
    const SampleBuffer usual = generate_sample(1, 2);
    EXPECT_TRUE(sample_checksum_ok(usual));
    EXPECT_EQ(usual, generate_sample(1, 2));
    EXPECT_NE(usual, generate_sample(1, 3));
    EXPECT_NE(usual, generate_sample(2, 2));
    EXPECT_FALSE(sample_checksum_ok(generate_sample(1, 2, SampleKind::wrong_sum)));
    EXPECT_TRUE(sample_checksum_ok(generate_sample(1, 2, SampleKind::far)));

    SampleBuffer changed = usual;
    changed[700] ^= 1;
    EXPECT_FALSE(sample_checksum_ok(changed));
    EXPECT_FALSE(sample_checksum_ok(std::span<const std::uint8_t>(usual.data(), 1565)));
}
