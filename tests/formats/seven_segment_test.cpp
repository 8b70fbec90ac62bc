#include "formats/display_alphabet.h"

#include <gtest/gtest.h>

TEST(SevenSegment, CodesOfTheDisplayAlphabet) {
    const std::pair<const char*, std::uint8_t> table[] = {
        {" ", 0xFF},  {"-", 0xBF},   {"0O", 0xC0}, {"1I", 0xF9}, {"2", 0xA4},  {"3", 0xB0},
        {"4", 0x99},  {"5Ss", 0x92}, {"6", 0x82},  {"7", 0xF8},  {"8", 0x80},  {"9", 0x90},
        {"Aa", 0x88}, {"Bb", 0x83},  {"C", 0xC6},  {"c", 0xA7},  {"Dd", 0xA1}, {"Ee", 0x86},
        {"Ff", 0x8E}, {"H", 0x89},   {"h", 0x8B},  {"i", 0xEF},  {"Ll", 0xC7}, {"Nn", 0xAB},
        {"o", 0xA3},  {"Pp", 0x8C},  {"Rr", 0xAF}, {"U", 0xC1},  {"u", 0xE3},  {"GgKMTxz_.", 0xFF},
    };
    for (const auto& [characters, code] : table)
        for (const char* c = characters; *c; ++c)
            EXPECT_EQ(seven_segment_code(*c), code) << *c;
}

TEST(SevenSegment, CodesReadBackAsTheirDisplayCharacter) {
    EXPECT_EQ(seven_segment_character(0xC0), 'O');
    EXPECT_EQ(seven_segment_character(0xF9), 'I');
    EXPECT_EQ(seven_segment_character(0x92), 'S');
    EXPECT_EQ(seven_segment_character(0x83), 'b');
    EXPECT_EQ(seven_segment_character(0xA7), 'c');
    EXPECT_EQ(seven_segment_character(0xBF), '-');
    EXPECT_EQ(seven_segment_character(0xFF), '\0');
    EXPECT_EQ(seven_segment_character(0x00), '\0');
    // Every character of a display name other than the blank comes back, except that the
    // digits 0, 1 and 5 read as the letters O, I and S.
    const std::string shown = display_db_name_text("0123456789ACEFHILOPSUbcdhinoru-");
    for (char c : shown) {
        const char back = seven_segment_character(seven_segment_code(c));
        EXPECT_EQ(back, c == '0' ? 'O' : c == '1' ? 'I' : c == '5' ? 'S' : c) << c;
    }
}

TEST(SevenSegment, DbNameCodeIsPaddedWithDarkPositions) {
    EXPECT_EQ(db_name_code("AbC"),
              (DbNameCode{0x88, 0x83, 0xC6, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(db_name_code("db-nA E-Lon "),
              (DbNameCode{0xA1, 0x83, 0xBF, 0xAB, 0x88, 0xFF, 0x86, 0xBF, 0xC7, 0xA3, 0xAB, 0xFF}));
    EXPECT_EQ(db_name_code("0123456789ABCDEF")[11], 0x83); // only twelve positions
}
