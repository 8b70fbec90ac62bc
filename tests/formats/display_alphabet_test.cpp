#include "formats/display_alphabet.h"

#include <gtest/gtest.h>

TEST(DisplayAlphabet, NameIsConvertedForTheDisplay) {
    EXPECT_EQ(display_db_name_text("db_name_long"), "db-nA E-Lon ");
    EXPECT_EQ(display_db_name_text(""), "");
    EXPECT_EQ(display_db_name_text("ABCDEFGHIJKLMNOPQRST"), "AbCdEF HI  L");
}

TEST(DisplayAlphabet, LettersTheDisplayCannotShowBecomeBlanks) {
    for (char c : std::string("GKMTVWXYZgjkmqtvwxyz .,-/"))
        EXPECT_EQ(display_character(c), ' ') << c;
    EXPECT_EQ(display_character(static_cast<char>(0xC4)), ' ');
}

TEST(DisplayAlphabet, CapitalsWithoutADisplayFormBecomeSmallAndStay) {
    EXPECT_EQ(display_db_name_text("BDNR"), "bdnr");
    EXPECT_EQ(display_db_name_text("bdnr"), "bdnr");
    EXPECT_EQ(display_db_name_text("aeflps"), "AEFLPS");
    EXPECT_EQ(display_db_name_text("0123456789"), "0123456789");
}
