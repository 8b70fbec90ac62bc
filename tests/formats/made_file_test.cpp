#include "formats/made_file.h"

#include <gtest/gtest.h>

TEST(MadeFileTokens, TokensIgnoreLineBreaksAndKnowTheirLine) {
    TokenReader reader{"COR=4\r\n;A_5_1_3\r\n\r\n .PWORD\t0x000000 \n"};
    std::string_view token;
    ASSERT_TRUE(next_token(reader, token));
    EXPECT_EQ(token, "COR=4");
    EXPECT_EQ(reader.line, 1);
    ASSERT_TRUE(next_token(reader, token));
    EXPECT_EQ(token, ";A_5_1_3");
    ASSERT_TRUE(next_token(reader, token));
    EXPECT_EQ(token, ".PWORD");
    EXPECT_EQ(reader.line, 4);
    ASSERT_TRUE(next_token(reader, token));
    EXPECT_EQ(token, "0x000000");
    EXPECT_FALSE(next_token(reader, token));
}

TEST(MadeFileTokens, MadeStageIsRecognisedByAPToken) {
    EXPECT_TRUE(is_made_file_text("COR=0\n;A_5_1_1\n.PWORD 0x000000"));
    EXPECT_FALSE(is_made_file_text("COR=0\n;A_5_1\n;B.C_10_1\n"));
    EXPECT_FALSE(is_made_file_text(""));
}

TEST(MadeFileTokens, WordListsDecodeOnlyTheWordsTheyHold) {
    std::uint8_t bytes[24] = {};
    bytes[6] = 0x77;
    EXPECT_EQ(decode_word_list("0x00001A,0x2BFFFF", bytes), 2);
    EXPECT_EQ(bytes[2], 0x1A);
    EXPECT_EQ(bytes[3], 0x2B);
    EXPECT_EQ(bytes[5], 0xFF);
    EXPECT_EQ(bytes[6], 0x77); // untouched
    EXPECT_EQ(decode_word_list("0x010203,0x040506,0x070809,0x0A0B0C,0x0D0E0F,0x101112,"
                               "0x131415,0x16171F",
                               bytes),
              8);
    for (int i = 0; i < 23; ++i)
        EXPECT_EQ(bytes[i], i + 1);
    EXPECT_EQ(bytes[23], 0x1F);
}

TEST(MadeFileTokens, WordListsOfAnotherShapeAreRefused) {
    std::uint8_t bytes[24];
    for (const char* token : {"", "0x", "0x00001", "0x0000GA", "1x000000", "0x000000;0x000000",
                              "0x000000,0x00000", "0x000000,",
                              "0x000000,0x000000,0x000000,0x000000,0x000000,0x000000,0x000000,"
                              "0x000000,0x000000"})
        EXPECT_EQ(decode_word_list(token, bytes), -1) << token;
}

TEST(MadeFileTokens, SideHeadersParse) {
    SideHeader header;
    ASSERT_EQ(parse_side_header(";USD.OLD_100_1_12", header), 1);
    EXPECT_EQ(header.name, "USD");
    EXPECT_EQ(header.extension, "OLD");
    EXPECT_EQ(header.nominal, 100u);
    EXPECT_EQ(header.side, 1);
    EXPECT_EQ(header.sample_count, 12);
    ASSERT_EQ(parse_side_header(";A_5_4_0", header), 1);
    EXPECT_EQ(header.name, "A");
    EXPECT_EQ(header.extension, "");
    EXPECT_EQ(header.nominal, 5u);
    EXPECT_EQ(header.side, 4);
    EXPECT_EQ(header.sample_count, 0);
}

TEST(MadeFileTokens, SideHeadersOfAnotherShapeAreRefused) {
    SideHeader header;
    for (const char* token :
         {"A_5_1_1", ";A_5_1", ";_5_1_1", ";ABCD_5_1_1", ";A._5_1_1", ";A.BCDE_5_1_1", ";A_5X_1_1",
          ";A__1_1", ";A_12345678_1_1", ";A_5_5_1", ";A_5_0_1", ";A_5_1_", ";A_5_1_4096",
          ";A_5_12_1", ";A_5_1_1x", ";A.B"})
        EXPECT_EQ(parse_side_header(token, header), 0) << token;
}
