#include "analysis/session_results.h"
#include "formats/device_messages.h"

#include <gtest/gtest.h>

namespace {

const LocalDateTime when{2024, 12, 9, 8, 5, 3};

std::vector<std::string> lines_of(std::uint16_t count, const std::vector<SessionEntry>& entries) {
    const std::vector<std::uint8_t> message = build_session_result(count, entries);
    return session_result_lines(message.data(), message.size(), when);
}

TEST(SessionLines, ColumnsOfEachLineKind) {
    const std::string session = session_line(17, when, "USD", 5, 500);
    EXPECT_EQ(session, "    17    09.12.24     08:05:03      USD         5          500");
    EXPECT_EQ(currency_line("EUR", 12, -40), std::string(37, ' ') + "EUR        12          -40");
    EXPECT_EQ(denomination_line(100, 5, 500),
              std::string(32, ' ') + "     100         5          500");
    EXPECT_EQ(session.size(), 63u);
    EXPECT_EQ(session_line(17, {1999, 1, 2, 23, 59, 58}, "USD", 1, 1).substr(10, 21),
              "02.01.99     23:59:58");
}

TEST(SessionLines, TooLongNumbersLeaveTheirFieldsBlank) {
    EXPECT_EQ(session_line(65535, when, "USD", 1, 1).substr(0, 6), " 65535");
    EXPECT_EQ(denomination_line(123456789, 99999999, -1234567),
              std::string(32, ' ') + "        " + "  " + "99999999" + "     " + "-1234567");
    EXPECT_EQ(currency_line("USD", 1, -12345678).substr(55), "        ");
}

TEST(SessionLines, LineStartsSessionByItsCountColumn) {
    EXPECT_TRUE(line_starts_session(session_line(1, when, "USD", 1, 1)));
    EXPECT_FALSE(line_starts_session(currency_line("USD", 1, 1)));
    EXPECT_FALSE(line_starts_session(denomination_line(1, 1, 1)));
    EXPECT_FALSE(line_starts_session("     "));
}

TEST(SessionResultLines, EqualDenominationsMergeIntoOneLine) {
    EXPECT_EQ(lines_of(5, {{"USD", 3, 300}, {"USD", 2, 200}}),
              (std::vector<std::string>{session_line(5, when, "USD", 5, 500),
                                        denomination_line(100, 5, 500)}));
}

TEST(SessionResultLines, SecondCurrencyGetsCurrencyLine) {
    // Entries of a currency need not be next to each other: EUR follows all of USD.
    EXPECT_EQ(
        lines_of(9, {{"USD", 2, 20}, {"EUR", 3, 150}, {"USD", 4, 400}}),
        (std::vector<std::string>{session_line(9, when, "USD", 6, 420),
                                  denomination_line(10, 2, 20), denomination_line(100, 4, 400),
                                  currency_line("EUR", 3, 150), denomination_line(50, 3, 150)}));
}

TEST(SessionResultLines, DenominationsAscend) {
    EXPECT_EQ(
        lines_of(3, {{"USD", 1, 50}, {"USD", 1, 10}, {"USD", 1, 20}}),
        (std::vector<std::string>{session_line(3, when, "USD", 3, 80), denomination_line(10, 1, 10),
                                  denomination_line(20, 1, 20), denomination_line(50, 1, 50)}));
}

TEST(SessionResultLines, CurrencyWithoutPiecesIsSkipped) {
    // The first currency has no pieces, so the second one opens the session.
    EXPECT_EQ(
        lines_of(1, {{"GBP", 0, 500}, {"EUR", 1, 5}}),
        (std::vector<std::string>{session_line(1, when, "EUR", 1, 5), denomination_line(5, 1, 5)}));
}

TEST(SessionResultLines, UnlistableDenominationsCountInTheSumsOnly) {
    // 1/3 truncates to 0, and 1000000000 is not below the start value: neither gets a line.
    EXPECT_EQ(lines_of(2, {{"USD", 3, 1}, {"USD", 1, 1000000000}, {"USD", 2, 10}}),
              (std::vector<std::string>{session_line(2, when, "USD", 6, 1000000011),
                                        denomination_line(5, 2, 10)}));
}

TEST(SessionResultLines, NothingToShowGivesNoLines) {
    EXPECT_TRUE(lines_of(7, {}).empty());
    EXPECT_TRUE(lines_of(7, {{"USD", 0, 100}, {"EUR", 0, 0}}).empty());
}

TEST(SessionResultLines, ShortMessageIsReadOnlyAsFarAsItGoes) {
    const std::vector<std::uint8_t> full = build_session_result(1, {{"USD", 3, 300}});
    const std::vector<std::uint8_t> cut(full.begin(), full.begin() + 724);
    // Pieces of entry 0 are there, its total is not: 3 pieces, total 0, no denomination.
    EXPECT_EQ(session_result_lines(cut.data(), cut.size(), when),
              (std::vector<std::string>{session_line(1, when, "USD", 3, 0)}));
}

} // namespace
