#include "database/row_edits.h"
#include "database/row_text.h"
#include "database/side_columns.h"

#include <gtest/gtest.h>

namespace {

const std::string zero_columns = "        0        0        0        0";

std::string loaded_row() {
    return "    3    USD    OLD        100 " + zero_columns;
}

} // namespace

TEST(RowText, LayoutAndReadBack) {
    const std::string blank = blank_row_text(119);
    EXPECT_EQ(blank.size(), 67u);
    EXPECT_EQ(blank.substr(0, 6), "  120 ");
    EXPECT_EQ(blank.find_first_not_of(' ', 5), std::string::npos);

    const RowFields fields = read_row_fields(loaded_row());
    EXPECT_EQ(fields.name, "USD");
    EXPECT_EQ(fields.ext, "OLD");
    EXPECT_EQ(fields.nominal, "100");

    // Short or empty rows read back as far as they reach.
    EXPECT_EQ(read_row_fields("    1    AB ").name, "AB");
    EXPECT_EQ(read_row_fields("    1    AB ").nominal, "");
    EXPECT_EQ(read_row_fields("").name, "");
}

TEST(RowText, FieldsSideColumnsAndMarks) {
    std::string row = put_row_field(blank_row_text(0), RowField::nominal, "50");
    EXPECT_EQ(row.substr(23, 7), "50     ");
    EXPECT_EQ(put_row_field(row, RowField::name, "ABCD"), row); // too long: row unchanged

    row = put_side_columns(row, "        1       22      333     4444");
    row = put_side_marks(row, {true, false, true, true});
    EXPECT_EQ(row.size(), 67u);
    EXPECT_EQ(row.substr(31), "  *     1       22  *   333  *  4444");

    EXPECT_EQ(full_row_text("", 6), blank_row_text(6));
    EXPECT_EQ(full_row_text("    7    A", 6).size(), 67u);
}

TEST(RowText, SamplePrefixes) {
    EXPECT_EQ(sample_prefix_for({"USD", "OLD", "100"}, 2), "USD.OLD_100_2_");
    EXPECT_EQ(sample_prefix_for({"A", "", "10"}, 4), "A_10_4_");
    EXPECT_EQ(sample_file_name("ABC.DEF_100_1_", 12), "ABC.DEF_100_1_12.bin");

    const std::string row = "    1    A                10 " + zero_columns;
    SamplingTarget target = select_sampling_target(row, {false, false, false, false});
    EXPECT_EQ(target.sample_prefix, "A_10");
    EXPECT_EQ(target.state, 0);
    target = select_sampling_target(row, {true, false, true, false});
    EXPECT_EQ(target.sample_prefix, "A_10_3_"); // the highest checked side

    EXPECT_EQ(sampling_target_state_of({"", "X", "10"}), 1);
    EXPECT_EQ(sampling_target_state_of({"A", "X", ""}), 2);
    EXPECT_EQ(sampling_target_state_of({"", "X", ""}), 3);
}

TEST(SampleCount, CountsPerSideAndPrefixMatch) {
    const std::vector<std::string> names = {"A.B_10_1_1.bin",     "A.B_10_1_7.bin",
                                            "A.B_10_2_3.bin",     "A.B_100_1_1.bin",
                                            "A.B_10_3_2.bin.tmp", "x.dnl"};
    const SideColumns columns = build_side_columns({"A", "B", "10"}, names);
    EXPECT_EQ(columns.text, "        2        1        0        0");
    EXPECT_EQ(columns.counts[0].highest_number, 7);
    EXPECT_EQ(columns.counts[1].highest_number, 3);

    // The nominal-100 file counts for 100 only.
    EXPECT_EQ(build_side_columns({"A", "B", "100"}, names).text.substr(0, 9), "        1");

    // Without a name or a nominal nothing counts, whatever files exist.
    EXPECT_EQ(build_side_columns({"", "B", "10"}, names).text, zero_columns);
    EXPECT_EQ(build_side_columns({"A", "B", ""}, names).text, zero_columns);

    EXPECT_EQ(sample_number_of("A_10_1_.bin"), 0);
    EXPECT_EQ(sample_number_of("A_10_1_99999999999999.bin"), 2147483646);
}

TEST(SampleCount, RefreshedRowKeepsFieldsAndMarksCheckedSides) {
    const std::string refreshed =
        refreshed_row_text(loaded_row(), 2, {false, true, false, false}, {"USD.OLD_100_2_5.bin"});
    EXPECT_EQ(refreshed.substr(0, 31), loaded_row().substr(0, 31));
    EXPECT_EQ(refreshed.substr(31), "        0  *     1        0        0");
}

TEST(RowEdits, CharacterRules) {
    // Lower case typed: accepted upper-cased.
    FieldEdit edit = check_field_edit(RowField::name, "usd", "");
    EXPECT_EQ(edit.outcome, EditOutcome::accepted);
    EXPECT_EQ(edit.text, "USD");
    EXPECT_EQ(check_field_edit(RowField::name, "usd", "USD").outcome, EditOutcome::unchanged);

    // A letter the display cannot show, a letter in a nominal, a blank inside, too long.
    edit = check_field_edit(RowField::name, "USG", "US");
    EXPECT_EQ(edit.outcome, EditOutcome::refused);
    EXPECT_EQ(edit.text, "US");
    EXPECT_EQ(check_field_edit(RowField::ext, "ok", "").outcome, EditOutcome::refused);
    EXPECT_EQ(check_field_edit(RowField::nominal, "1a", "1").outcome, EditOutcome::refused);
    EXPECT_EQ(check_field_edit(RowField::nominal, "1 0", "1 ").outcome, EditOutcome::refused);
    EXPECT_EQ(check_field_edit(RowField::name, "ABCD", "ABC").outcome, EditOutcome::refused);
    EXPECT_EQ(check_field_edit(RowField::nominal, "12345678", "1234567").outcome,
              EditOutcome::refused);

    // Blanks at the ends are fine while typing; a nominal of seven digits fits.
    EXPECT_EQ(check_field_edit(RowField::nominal, "1 ", "1").outcome, EditOutcome::accepted);
    EXPECT_EQ(check_field_edit(RowField::nominal, "1000000", "").outcome, EditOutcome::accepted);
    for (const char c : std::string("GJKMQTVWXYZ-_./"))
        EXPECT_FALSE(is_name_character(c)) << c;
    for (const char c : std::string(" 0123456789ABCDEFHILNOPRSU"))
        EXPECT_TRUE(is_name_character(c)) << c;
}

TEST(RowEdits, EditedAndClearedRows) {
    const std::vector<std::string> names = {"USD.OLD_50_1_1.bin", "USD.OLD_50_1_2.bin"};
    // The nominal typed left-aligned; the columns counted from the accepted texts.
    std::string row = edited_row_text(loaded_row(), 2, RowField::nominal, "50",
                                      {"USD", "OLD", "50"}, {true, false, false, false}, names);
    EXPECT_EQ(row.substr(0, 31), "    3    USD    OLD    50      ");
    EXPECT_EQ(row.substr(31), "  *     2        0        0        0");

    // An empty row (no description file) becomes a proper numbered row when edited.
    row = edited_row_text("", 4, RowField::name, "EUR", {"EUR", "", ""}, {}, names);
    EXPECT_EQ(row, put_row_field(put_side_columns(blank_row_text(4), zero_columns), RowField::name,
                                 "EUR"));

    row = cleared_row_text(loaded_row(), 2, {false, false, false, false});
    EXPECT_EQ(row, put_side_columns(blank_row_text(2), zero_columns));
}

TEST(RowText, ClearingSideMarksBlanksOnlyTheFourMarkPositions) {
    const std::string marked(67, '*');
    const std::string cleared = clear_side_marks(marked);
    for (std::size_t at = 0; at < cleared.size(); ++at) {
        const bool mark = at == 33 || at == 42 || at == 51 || at == 60;
        EXPECT_EQ(cleared[at], mark ? ' ' : '*') << at;
    }
    // A short row (loaded on another page) keeps its length.
    EXPECT_EQ(clear_side_marks(std::string(40, '*')), std::string(33, '*') + " ******");
    EXPECT_EQ(clear_side_marks(""), "");
}
