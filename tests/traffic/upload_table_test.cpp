#include "formats/upload_table.h"
#include "tests/traffic/upload_messages.h"

#include <gtest/gtest.h>
#include <numeric>
#include <vector>

TEST(UploadTable, FileNameComesFromTheDisplayCodes) {
    UploadTableMessage message = table_message({});
    const std::uint8_t codes[] = {0x88, 0x83, 0xC6};
    std::copy(std::begin(codes), std::end(codes), message.begin() + 2650);
    UploadTable table;
    ASSERT_EQ(read_upload_table(message.data(), message.size(), table), 1);
    EXPECT_EQ(table.file_name, "AbC.UPL");
    // Codes that show no character are left out, wherever they stand.
    message[2650] = 0x00;
    message[2661] = 0xC0;
    read_upload_table(message.data(), message.size(), table);
    EXPECT_EQ(table.file_name, "bCO.UPL");
}

TEST(UploadTable, RowsWithNamesExtensionsCountsAndNominals) {
    UploadTableMessage message = table_message({{"AB ", "X  ", {5, 0, 0, 0}, 100},
                                                {"AB ", "   ", {1, 2047, 3, 4095}, 0xFFFFF},
                                                {"C  ", "DEF", {4095, 1, 0, 7}, 7}});
    // Bit 7 of byte 5 (the top bit of a 12-bit Side2 count) is not read.
    message[21 + 5] |= 0x80;
    message[2649] = 14;
    UploadTable table;
    ASSERT_EQ(read_upload_table(message.data(), message.size(), table), 1);
    EXPECT_EQ(table.row_names[0], "AB.X");
    EXPECT_EQ(table.row_names[1], "AB");
    EXPECT_EQ(table.row_names[2], "C.DEF");
    EXPECT_EQ(table.row_names[3], "");
    EXPECT_EQ(table.used_rows, 3);
    EXPECT_EQ(table.image_counts[0], (std::array<int, 4>{5, 0, 0, 0}));
    EXPECT_EQ(table.image_counts[1], (std::array<int, 4>{1, 2047, 3, 4095}));
    EXPECT_EQ(table.image_counts[2], (std::array<int, 4>{4095, 1, 0, 7}));
    // 20 bits of nominal; the download's 0x5 marker above them is not part of it.
    EXPECT_EQ(table.nominals[0], 100u);
    EXPECT_EQ(table.nominals[1], 0xFFFFFu);
    EXPECT_EQ(table.nominals[2], 7u);
    EXPECT_EQ(table.mc_percent, 14);
}

TEST(UploadTable, SumAndLengthAreChecked) {
    UploadTableMessage message = table_message({{"A  ", "   ", {1, 0, 0, 0}, 5}});
    EXPECT_TRUE(upload_sum_matches(message.data(), upload_table_data_size));
    message[100] ^= 1;
    EXPECT_FALSE(upload_sum_matches(message.data(), upload_table_data_size));
    UploadTable table;
    EXPECT_EQ(read_upload_table(message.data(), 2665, table), 0);
}
