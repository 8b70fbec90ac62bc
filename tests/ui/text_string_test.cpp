#include "ui/text_string.h"

#include <gtest/gtest.h>

TEST(TextString, SubstringClipsBothEnds) {
    EXPECT_EQ(TextString("ABCDE").substring(9, 11).str(), "");
    EXPECT_EQ(TextString("ABCDEF").substring(-3, 1).str(), "AB");
    EXPECT_EQ(TextString("ABCDEF").substring(2, 99).str(), "CDEF");
    EXPECT_EQ(TextString("ABCDEF").substring(3, 2).str(), "");
    EXPECT_EQ(TextString("").substring(0, 0).str(), "");
    EXPECT_EQ(TextString("ABCDEF").substring(0, 0).str(), "A");
}

TEST(TextString, CharactersOutsideTheTextReadAsZero) {
    const TextString text("AB");
    EXPECT_EQ(text.at(1), 'B');
    EXPECT_EQ(text.at(2), '\0');
    EXPECT_EQ(text.at(-1), '\0');
    EXPECT_EQ(text.at(1000), '\0');
}

TEST(TextString, TrimRemovesOnlyBlanks) {
    EXPECT_EQ(TextString("   ").trim().str(), "");
    EXPECT_EQ(TextString("").trim().str(), "");
    EXPECT_EQ(TextString("  USD 10  ").trim().str(), "USD 10");
    EXPECT_EQ(TextString(" A\t").trim().str(), "A\t");
    EXPECT_EQ(TextString("\tA ").trim().str(), "\tA");
}

TEST(TextString, ToUpperChangesOnlyAsciiSmallLetters) {
    EXPECT_EQ(TextString("usd100").to_upper().str(), "USD100");
    const char high[] = {'a', static_cast<char>(0xE4), 'z', '_', 0};
    const char expected[] = {'A', static_cast<char>(0xE4), 'Z', '_', 0};
    EXPECT_EQ(TextString(high).to_upper().str(), expected);
}

TEST(TextString, CopiesShareOneBufferAndStayIndependentValues) {
    TextString original("EUR");
    TextString copy = original;
    EXPECT_TRUE(copy.shares_buffer_with(original));
    {
        TextString third(copy);
        EXPECT_TRUE(third.shares_buffer_with(original));
    }
    original = TextString("USD");
    EXPECT_EQ(copy.str(), "EUR");
    EXPECT_FALSE(copy.shares_buffer_with(original));
    copy = copy; // self-assignment keeps the text
    EXPECT_EQ(copy.str(), "EUR");
}

TEST(TextString, ConcatenationAndComparison) {
    EXPECT_EQ(concat("COM", TextString("12")).str(), "COM12");
    EXPECT_EQ(append_char(TextString("A"), 'B').str(), "AB");
    EXPECT_TRUE(equals(TextString("ab"), TextString("ab")));
    EXPECT_TRUE(differs(TextString("ab"), TextString("AB")));
    EXPECT_EQ(TextString('x').length(), 1);
    EXPECT_EQ(TextString(std::string_view("a\0b", 3)).str(), "a");
}
