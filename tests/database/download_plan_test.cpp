#include "database/download_plan.h"
#include "tests/database/made_text.h"

#include <gtest/gtest.h>

namespace {

// A side of one repeated small value compresses to a known size: 160 main groups of 81 bits
// (1620 bytes, a whole number of words), then 7 tail groups of 106 bits and the 4 trailer
// bytes (774 bits: 97 bytes, padded to 99).
constexpr std::uint32_t flat_main_bytes = 1620;
constexpr std::uint32_t flat_side_bytes = 1719;

std::string two_banknotes() {
    return "COR=0\r\n" + made_side_of_value(";USD.OLD_100_1_12", 7) +
           made_side_of_value(";USD.OLD_100_2_11", 7) + made_side_of_value(";USD.OLD_100_3_10", 7) +
           made_side_of_value(";USD.OLD_100_4_9", 7) + made_side_of_value(";A_5_1_3", 20);
}

std::string plan_error(const std::string& text) {
    DownloadPlan plan;
    std::string error;
    EXPECT_EQ(plan_download(text, "DB.dnl", "dB", plan, error), 0);
    return error;
}

std::vector<std::uint8_t> bytes_at(const std::uint8_t* data, int offset, int count) {
    return std::vector<std::uint8_t>(data + offset, data + offset + count);
}

using Bytes = std::vector<std::uint8_t>;

} // namespace

TEST(DownloadPlan, NameFramesDescribeEveryBanknoteAndSide) {
    DownloadPlan plan;
    std::string error;
    ASSERT_EQ(plan_download(two_banknotes(), "DB.dnl", "AbC", plan, error), 1) << error;
    EXPECT_EQ(plan.block_count, static_cast<int>(5 * flat_side_bytes / 1536 + 1));
    EXPECT_EQ(plan.image_data.size(), plan.block_count * 1536u);

    const std::uint8_t* first = plan.first_names.data();
    const std::uint32_t words = flat_main_bytes / 3; // 540 = 0x21C
    // Counts 12, 11, 10, 9 and four main sizes of 540 words, packed in 12 bits each.
    EXPECT_EQ(bytes_at(first, 0, 21),
              (Bytes{'U',  'S',  'D',  0x0C, 0xB0, 0x00, 0x0A, 0x90, 0x00, 0x1C, 0xC2,
                     0x21, 0x1C, 0xC2, 0x21, 0x55, 0x05, 0x00, 0x64, 0x00, 0x50}));
    ASSERT_EQ(words, 0x21Cu);
    // A single side: zeros for Side2..Side4.
    EXPECT_EQ(bytes_at(first, 21, 21),
              (Bytes{'A', ' ', ' ', 3, 0,    0,    0,    0,    0,    0x1C, 0x02,
                     0,   0,   0,   0, 0x55, 0x05, 0x00, 0x05, 0x00, 0x50}));
    const Bytes unused{' ', ' ', ' ', 0, 0,    0,    0, 0, 0, 0,   0,
                       0,   0,   0,   0, 0x55, 0x05, 0, 0, 0, 0x50};
    EXPECT_EQ(bytes_at(first, 42, 21), unused);
    EXPECT_EQ(bytes_at(first, 35 * 21, 21), unused);
    EXPECT_EQ(bytes_at(plan.second_names.data(), 0, 21), unused);
    EXPECT_EQ(bytes_at(plan.second_names.data(), 72 * 21, 21), unused);
    EXPECT_EQ(plan.second_names[1533], 0);

    EXPECT_EQ(bytes_at(first, 756, 9), (Bytes{'O', 'L', 'D', ' ', ' ', ' ', ' ', ' ', ' '}));
    EXPECT_EQ(bytes_at(first, 756 + 3 * 108, 3), (Bytes{' ', ' ', ' '}));
    // Block table: entry t is 2/3 of the end of side t.
    for (int t = 0; t <= 5; ++t) {
        const std::uint32_t entry = t * flat_side_bytes * 2 / 3;
        EXPECT_EQ(bytes_at(first, 1116 + 3 * t, 3),
                  (Bytes{static_cast<std::uint8_t>(entry), static_cast<std::uint8_t>(entry >> 8),
                         static_cast<std::uint8_t>(entry >> 16)}))
            << t;
    }
    EXPECT_EQ(bytes_at(first, 1116 + 3 * 6, 3), (Bytes{0, 0, 0}));
    EXPECT_EQ(bytes_at(first, 1484, 12),
              (Bytes{0x88, 0x83, 0xC6, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(DownloadPlan, SidesFollowEachOtherFromWordBoundaries) {
    DownloadPlan plan;
    std::string error;
    ASSERT_EQ(plan_download(two_banknotes(), "DB.dnl", "", plan, error), 1);
    // Each side starts with the base 7 of its first group (the 5th side with 20), written
    // from bit 7 down so that bit 0 holds the base's top bit.
    for (std::uint32_t side = 0; side < 4; ++side)
        EXPECT_EQ(plan.image_data[side * flat_side_bytes] & 0x7F, 0b1110000) << side;
    EXPECT_EQ(plan.image_data[4 * flat_side_bytes] & 0x7F, 0b0010100);
}

TEST(DownloadPlan, LimitsOfTheDevice) {
    std::string headers;
    for (int i = 0; i < 110; ++i)
        headers += ";A_" + std::to_string(i + 1) + "_1_1\r\n";
    EXPECT_EQ(plan_error("COR=0\r\n" + headers), "There are more than 109 name's of banknote's");

    std::string sides;
    for (int i = 0; i < 31; ++i)
        for (int s = 1; s <= 4; ++s)
            sides += ";B_" + std::to_string(i + 1) + "_" + std::to_string(s) + "_1\r\n";
    EXPECT_EQ(plan_error("COR=0\r\n" + sides), "There are more than 120 image's of banknote's");

    // Within the limits the same headers are only wrong for lacking their lines.
    EXPECT_EQ(plan_error("COR=0\r\n;A_1_1_1\r\n"), "Wrong format of DB.dnl, see line 2");
}

TEST(DownloadPlan, SideTooBigIsRefusedBeforeAnythingIsSent) {
    const std::string error = plan_error("COR=0\r\n" + made_side_of_value(";A_5_1_3", 9) +
                                         made_side(";B_5_1_3", noise_bytes(1, 0, 256)));
    ASSERT_EQ(error.rfind("Size of one side is too big:2,", 0), 0u) << error;
    EXPECT_GT(std::stoi(error.substr(30)), 2560);
}

TEST(DownloadPlan, MoreThan158BlocksAreRefused) {
    // 120 sides of about 2.4 kB each: within the side limit, beyond the block limit.
    std::string text = "COR=0\r\n";
    for (int b = 0; b < 30; ++b)
        for (int s = 1; s <= 4; ++s)
            text += made_side(";N_" + std::to_string(b + 1) + "_" + std::to_string(s) + "_1",
                              noise_bytes(b * 4 + s, 0, 120));
    EXPECT_EQ(plan_error(text), "There are more than 158 block's in DB");
}

TEST(DownloadPlan, BlockCountCountsAnEndingOnABlockBoundaryAsANewBlock) {
    EXPECT_EQ(image_block_count(1535), 1);
    EXPECT_EQ(image_block_count(1536), 2);
    EXPECT_EQ(image_block_count(0), 1);
}

TEST(DownloadPlan, MalformedMadeFilesStopWithTheirLine) {
    const std::string side = made_side_of_value(";A_5_1_3", 9);
    const std::size_t line_3 = side.find(".PWORD", side.find(".PWORD") + 1);
    struct Case {
        std::string text;
        int line;
    };
    const Case cases[] = {
        // A data line with seven words.
        {"COR=0\r\n" + side.substr(0, line_3) + ".PWORD 0x000000" + side.substr(line_3 + 15 + 9),
         4},
        // The word list without its ".PWORD".
        {"COR=0\r\n" + side.substr(0, line_3) + side.substr(line_3 + 7), 4},
        // The text ends inside a side.
        {"COR=0\r\n" + side.substr(0, side.size() / 2), 0},
        // No "COR=" token first.
        {side, 1},
        // Side2 without Side3 and Side4, and a side out of order.
        {"COR=0\r\n" + side + made_side_of_value(";A_5_2_3", 9), 0},
        {"COR=0\r\n" + side + made_side_of_value(";A_5_3_3", 9), 0},
        // A malformed header where Side2 belongs.
        {"COR=0\r\n" + side + made_side_of_value(";A_5_2_x", 9), 157},
        // A trailer of one word.
        {"COR=0\r\n" + side.substr(0, side.rfind(",0x")) + "\r\n", 0},
    };
    for (const Case& c : cases) {
        const std::string error = plan_error(c.text);
        EXPECT_EQ(error.rfind("Wrong format of DB.dnl, see line ", 0), 0u) << error;
        if (c.line) {
            EXPECT_EQ(error, "Wrong format of DB.dnl, see line " + std::to_string(c.line));
        }
    }
}
