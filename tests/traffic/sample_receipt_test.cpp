#include "files/folder_files.h"
#include "tests/support/temp_folder.h"
#include "traffic/sample_receipt.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

std::vector<std::uint8_t> counting_bytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(i % 251 + 1);
    return bytes;
}

} // namespace

TEST(SampleReceipt, WrongTargetTexts) {
    EXPECT_EQ(wrong_target_text(0), nullptr);
    EXPECT_STREQ(wrong_target_text(1), "Wrong NAME");
    EXPECT_STREQ(wrong_target_text(2), "Wrong NOMINAL");
    EXPECT_STREQ(wrong_target_text(3), "Wrong NAME/NOMINAL");
}

TEST(SampleReceipt, ListingTakesSortedBinFilesOnly) {
    const SampleListing listing = sample_listing_of({"b.bin", "x.dnl", "A.bin", "c.BIN", "7.ram"});
    EXPECT_EQ(listing.names, (std::vector<std::string>{"A.bin", "b.bin"}));
    EXPECT_EQ(listing.shown_name, "A.bin");
    EXPECT_EQ(has_current_file(listing), 1);
}

// Short files are completed with zeros, long ones cut, and once the listing is exhausted every
// request gets zeros and the last name with the end mark.
TEST(SampleReceipt, RequestsWalkTheListingWithoutReadingPastAFile) {
    TempFolder folder;
    const auto short_file = counting_bytes(10);
    const auto exact_file = counting_bytes(sample_buffer_size);
    const auto long_file = counting_bytes(2000);
    folder.write("a.bin", short_file);
    folder.write("b.bin", exact_file);
    folder.write("c.bin", long_file);
    SampleListing listing = sample_listing_of(list_folder(folder.path()));

    StoredSampleReply reply = next_stored_sample(listing, folder.path());
    EXPECT_EQ(reply.name, "a.bin");
    EXPECT_FALSE(reply.ended);
    EXPECT_TRUE(std::equal(short_file.begin(), short_file.end(), reply.bytes.begin()));
    EXPECT_TRUE(std::all_of(reply.bytes.begin() + 10, reply.bytes.end(),
                            [](std::uint8_t b) { return b == 0; }));

    reply = next_stored_sample(listing, folder.path());
    EXPECT_EQ(reply.name, "b.bin");
    EXPECT_TRUE(std::equal(reply.bytes.begin(), reply.bytes.end(), exact_file.begin()));

    reply = next_stored_sample(listing, folder.path());
    EXPECT_EQ(reply.name, "c.bin");
    EXPECT_TRUE(reply.ended);
    EXPECT_TRUE(std::equal(reply.bytes.begin(), reply.bytes.end(), long_file.begin()));
    EXPECT_EQ(has_current_file(listing), 0);

    reply = next_stored_sample(listing, folder.path());
    EXPECT_EQ(reply.name, "c.bin");
    EXPECT_TRUE(reply.ended);
    EXPECT_TRUE(
        std::all_of(reply.bytes.begin(), reply.bytes.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(SampleReceipt, EmptyListingAndVanishedFileAnswerZeros) {
    TempFolder folder;
    SampleListing empty = sample_listing_of({});
    StoredSampleReply reply = next_stored_sample(empty, folder.path());
    EXPECT_EQ(reply.name, "");
    EXPECT_TRUE(reply.ended);
    EXPECT_TRUE(
        std::all_of(reply.bytes.begin(), reply.bytes.end(), [](std::uint8_t b) { return b == 0; }));

    SampleListing gone = sample_listing_of({"gone.bin"});
    reply = next_stored_sample(gone, folder.path());
    EXPECT_EQ(reply.name, "gone.bin");
    EXPECT_TRUE(
        std::all_of(reply.bytes.begin(), reply.bytes.end(), [](std::uint8_t b) { return b == 0; }));
}
