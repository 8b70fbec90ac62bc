#include "database/description_file.h"
#include "database/row_edits.h"
#include "files/file_texts.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

// A table as typed: nominals left-aligned in their columns.
DbRows typed_rows(const std::vector<RowFields>& banknotes) {
    DbRows rows;
    for (int r = 0; r < db_row_count; ++r) {
        std::string row = blank_row_text(r);
        if (static_cast<std::size_t>(r) < banknotes.size()) {
            const RowFields& f = banknotes[static_cast<std::size_t>(r)];
            row = put_row_field(row, RowField::name, f.name);
            row = put_row_field(row, RowField::ext, f.ext);
            row = put_row_field(row, RowField::nominal, f.nominal);
        }
        rows[static_cast<std::size_t>(r)] = row;
    }
    return rows;
}

} // namespace

TEST(DescriptionFile, BanknoteTokens) {
    BanknoteToken token;
    ASSERT_TRUE(parse_banknote_token(";A_5_1", token));
    EXPECT_EQ(token.fields.name, "A");
    EXPECT_EQ(token.fields.ext, "");
    EXPECT_EQ(token.fields.nominal, "5");
    EXPECT_EQ(token.side, 1);

    ASSERT_TRUE(parse_banknote_token(";AB.C_20_1", token));
    EXPECT_EQ(token.fields.name, "AB");
    EXPECT_EQ(token.fields.ext, "C");
    EXPECT_EQ(token.fields.nominal, "20");

    ASSERT_TRUE(parse_banknote_token(";USD.OLD_100_3_12", token));
    EXPECT_EQ(token.side, 3);
    EXPECT_EQ(token.count, "12");

    for (const char* bad : {"COR=0", ".PWORD", ";USD", ";USD_100", ";USD_100_5", ";USD_100_1x"})
        EXPECT_FALSE(parse_banknote_token(bad, token)) << bad;
}

TEST(DescriptionFile, SaveStopsAtFirstIncompleteRow) {
    DbRows rows =
        typed_rows({{"USD", "OLD", "100"}, {"EUR", "", "5"}, {"A", "", ""}, {"B", "", "7"}});
    EXPECT_EQ(description_text(rows, 12), "COR=12\r\n;USD.OLD_100_1\r\n;EUR_5_1\r\n");

    rows = typed_rows({{"USD", "", ""}, {"EUR", "", "5"}});
    EXPECT_EQ(description_text(rows, 0), "COR=0\r\n");
}

TEST(DescriptionFile, SaveAndLoadRoundTrip) {
    TempFolder folder;
    const DbRows typed =
        typed_rows({{"USD", "OLD", "100"}, {"EUR", "", "5"}, {"A", "B", "1000000"}});
    std::string message;
    ASSERT_EQ(save_description(folder.file("X.dnl"), "X.dnl", typed, 4, {}, message), 1);
    EXPECT_EQ(message, "X.dnl file is saved");
    EXPECT_FALSE(folder.exists("X.dnl.tmp"));

    DbRows loaded;
    std::vector<std::string> kept{"stale"};
    const std::vector<std::string> names = {"EUR_5_1_1.bin", "EUR_5_1_2.bin", "EUR_5_4_9.bin"};
    ASSERT_EQ(load_description(folder.file("X.dnl"), "X.dnl", LoadedColumns::sample_counts, names,
                               loaded, kept, message),
              1);
    EXPECT_TRUE(kept.empty());
    EXPECT_EQ(message, "");
    EXPECT_EQ(loaded[0], "    1    USD    OLD        100         0        0        0        0");
    EXPECT_EQ(loaded[1].substr(0, 31), "    2    EUR                 5 ");
    EXPECT_EQ(loaded[1].substr(31), "        2        0        0        1");
    for (int r = 0; r < 3; ++r) {
        const RowFields before = read_row_fields(typed[static_cast<std::size_t>(r)]);
        const RowFields after = read_row_fields(loaded[static_cast<std::size_t>(r)]);
        EXPECT_EQ(before.name, after.name);
        EXPECT_EQ(before.ext, after.ext);
        EXPECT_EQ(before.nominal, after.nominal);
        EXPECT_EQ(loaded[static_cast<std::size_t>(r)].size(), 67u);
    }
    EXPECT_EQ(loaded[3], blank_row_text(3));
    EXPECT_EQ(loaded[119], blank_row_text(119));
}

TEST(DescriptionFile, MissingFileGivesBlankRows) {
    TempFolder folder;
    DbRows rows;
    std::vector<std::string> kept;
    std::string message;
    EXPECT_EQ(load_description(folder.file("NO.dnl"), "NO.dnl", LoadedColumns::none, {}, rows, kept,
                               message),
              0);
    EXPECT_EQ(message, "Can't find NO.dnl");
    EXPECT_EQ(rows[0], blank_row_text(0));
}

TEST(DescriptionFile, MadeFileLoadsIntoTheSameRows) {
    const std::string made = "COR=10\n"
                             ";USD.OLD_100_1_12\n.PWORD 0x000000,0x000000\n"
                             ";USD.OLD_100_2_11\n.PWORD 0x0000FF,0x00FFFF\n"
                             ";USD.OLD_100_3_10\n;USD.OLD_100_4_9\n"
                             ";EUR_5_1_3\n.PWORD 0x000000\n";
    const std::string described = "COR=0\r\n;USD.OLD_100_1\r\n;EUR_5_1\r\n";
    const DbRows from_made = rows_from_description(made, LoadedColumns::none, {});
    EXPECT_EQ(from_made, rows_from_description(described, LoadedColumns::none, {}));
    EXPECT_EQ(from_made[0], "    1    USD    OLD        100 ");
    EXPECT_EQ(from_made[1], "    2    EUR                 5 ");

    // The COLLECT page shows the counts of the made file; one-sided notes get zero columns.
    const DbRows collect = rows_from_description(made, LoadedColumns::made_counts, {});
    EXPECT_EQ(collect[0].substr(31), "       12       11       10        9");
    EXPECT_EQ(collect[1].substr(31), "        3        0        0        0");
    // A description-stage file has no counts to show.
    EXPECT_EQ(rows_from_description(described, LoadedColumns::made_counts, {})[0].size(), 31u);
}

TEST(DescriptionFile, ForeignTokensNeverBreakTheLayout) {
    // Repeated side tokens, fields too long for their columns, more than 120 banknotes.
    std::string text = "COR=0 ;A_1_1_1 ;A_1_2_2 ;A_1_3_3 ;A_1_4_4 ;A_1_2_5 ;A_1_3_6 ;LONG_1_1 "
                       ";B_12345678_1 ;ABC.DEFG_1_1 ;LONG_1_2_7 ;A/B_1_1 ;..._1_1 ;a_1_1 ;X_1x_1 ";
    for (int i = 0; i < 130; ++i)
        text += ";C_" + std::to_string(i) + "_1_1 ";
    const DbRows rows = rows_from_description(text, LoadedColumns::made_counts, {});
    EXPECT_EQ(rows[0].substr(31), "        1        2        3        4");
    EXPECT_EQ(read_row_fields(rows[1]).nominal, "0");
    EXPECT_EQ(read_row_fields(rows[119]).nominal, "118");
    for (const std::string& row : rows)
        EXPECT_EQ(row.size(), 67u);
}

TEST(DescriptionFile, TokensWithoutNameOrNominalMakeNoRow) {
    // Loaded as rows, they would end the table on the next save and lose every row after them.
    const std::string text = "COR=0 ;_20_1 ;.EXT_5_1 ;USD__1 ;USD.OLD_100_1 ;EUR_5_1\r\n";
    const DbRows rows = rows_from_description(text, LoadedColumns::none, {});
    EXPECT_EQ(rows[0], "    1    USD    OLD        100 ");
    EXPECT_EQ(rows[1], "    2    EUR                 5 ");
    EXPECT_EQ(rows[2], blank_row_text(2));
    EXPECT_EQ(rows_from_description(description_text(rows, 0), LoadedColumns::none, {}), rows);
}

TEST(DescriptionFile, TokensThatMakeNoRowAreNamedAndSavedAgain) {
    TempFolder folder;
    std::string text = "COR=4\n;_20_1 ;USD_1_1\r\n;LONG_1_1\n;EUR_5_2\n";
    for (int i = 0; i < 120; ++i)
        text += ";C_" + std::to_string(i) + "_1\n";
    text += ";A\x01_9_1\n";
    folder.write_text("X.dnl", text);
    DbRows rows;
    std::vector<std::string> kept;
    std::string message;
    ASSERT_EQ(load_description(folder.file("X.dnl"), "X.dnl", LoadedColumns::none, {}, rows, kept,
                               message),
              1);
    // Side tokens are no rows to lose; the 120th row is the last one.
    EXPECT_EQ(message, "Not loaded from X.dnl: line 2 ;_20_1, line 3 ;LONG_1_1, line 124 ;C_119_1, "
                       "line 125 ;A _9_1");
    EXPECT_EQ(kept, (std::vector<std::string>{";_20_1", ";LONG_1_1", ";C_119_1", ";A\x01_9_1"}));

    ASSERT_EQ(save_description(folder.file("X.dnl"), "X.dnl", rows, 0, kept, message), 1);
    const std::string saved = folder.read_text("X.dnl");
    const std::string tail = ";C_118_1\r\n;_20_1\r\n;LONG_1_1\r\n;C_119_1\r\n;A\x01_9_1\r\n";
    EXPECT_EQ(saved.substr(saved.size() - tail.size()), tail);
    EXPECT_EQ(rows_from_description(saved, LoadedColumns::none, {}), rows);
}

TEST(DescriptionFile, OnlyDecimalCountsReachTheTable) {
    // Control bytes and NUL are no blanks: they stay inside the tokens.
    const char bytes[] = "COR=0 ;EUR_5_1_3\x05 ;USD_1_1_12 ;USD_1_2_4\0 ;USD_1_3_x ";
    const DbRows rows =
        rows_from_description(std::string(bytes, sizeof bytes - 1), LoadedColumns::made_counts, {});
    EXPECT_EQ(rows[0], "    1    EUR                 5 ");
    EXPECT_EQ(rows[1].substr(31), "       12        0        0        0");
}

TEST(DescriptionFile, SaveFailureLeavesTheOldFile) {
    TempFolder folder;
    folder.write_text("X.dnl", "COR=0\r\n;OLD_1_1\r\n");
    // A directory where the temporary file would go: the write fails, even for root.
    std::filesystem::create_directory(folder.file("X.dnl.tmp"));
    std::string message;
    EXPECT_EQ(save_description(folder.file("X.dnl"), "X.dnl", typed_rows({{"NEW", "", "2"}}), 0, {},
                               message),
              0);
    EXPECT_EQ(message, "Can't write X.dnl");
    EXPECT_EQ(folder.read_text("X.dnl"), "COR=0\r\n;OLD_1_1\r\n");
}

TEST(DescriptionFile, PageKeys) {
    EXPECT_EQ(db_page_key_action(32, false), DbPageKeyAction::clear_row_edits);
    EXPECT_EQ(db_page_key_action(32, true), DbPageKeyAction::clear_row_edits);
    EXPECT_EQ(db_page_key_action(13, true), DbPageKeyAction::enter_new_name);
    EXPECT_EQ(db_page_key_action(27, true), DbPageKeyAction::close_name_entry);
    EXPECT_EQ(db_page_key_action(13, false), DbPageKeyAction::none);
    EXPECT_EQ(db_page_key_action(27, false), DbPageKeyAction::none);
    EXPECT_EQ(db_page_key_action(65, true), DbPageKeyAction::none);
}

TEST(DescriptionFile, CreateEmptyTruncates) {
    TempFolder folder;
    folder.write_text("E.dnl", "COR=0\r\n;A_1_1\r\n");
    std::string message;
    EXPECT_EQ(create_empty_description(folder.file("E.dnl"), "E.dnl", message), 1);
    EXPECT_EQ(folder.read_text("E.dnl"), "");
    EXPECT_EQ(create_empty_description(folder.file("missing/E.dnl"), "E.dnl", message), 0);
    EXPECT_EQ(message, "Can't write E.dnl");
}
