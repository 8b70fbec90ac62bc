// The banknote table: 120 rows of fixed-column text, one banknote kind per row.
//
// Row text layout (0-based positions, 67 characters):
//   0-4   row number (index + 1), right-aligned     23-29 nominal (0..7 characters)
//   9-11  name (0..3 characters, left-aligned)      31-66 four side columns of 9 characters:
//   16-18 extension (0..3 characters)                     the number of sample files of
//   every other position is a blank                       Side1..Side4, right-aligned
// The third character of each side column (33, 42, 51, 60) carries the side mark "*" of a
// side being sampled.
//
// Everything here is a plain function over texts; the window code keeps `db_rows` and the
// list control and calls these to build the texts it shows.
#pragma once

#include <array>
#include <string>

inline constexpr int db_row_count = 120;
inline constexpr int row_text_length = 67;
inline constexpr int side_count = 4;
inline constexpr int side_column_width = 9;
inline constexpr int side_columns_length = side_count * side_column_width; // 36
inline constexpr int side_columns_position = 31;
inline constexpr int name_position = 9;
inline constexpr int name_width = 3;
inline constexpr int ext_position = 16;
inline constexpr int ext_width = 3;
inline constexpr int nominal_position = 23;
inline constexpr int nominal_width = 7;

using DbRows = std::array<std::string, db_row_count>;

// The three editable fields of a row.
enum class RowField { name, ext, nominal };

struct RowFields {
    std::string name;
    std::string ext;
    std::string nominal;
};

// Side check boxes (index 0 = Side1).
using SideFlags = std::array<bool, side_count>;

// Without leading and trailing blanks (only the space character counts).
std::string trim_blanks(const std::string& text);

// `text` preceded by blanks to `width` characters; a longer text is returned as it is.
std::string right_aligned(const std::string& text, int width);

// The characters first..last (inclusive) of `row`, clipped at its end, blanks trimmed.
std::string row_range(const std::string& row, int first, int last);

// Name (9-11), extension (16-18) and nominal (23-29) of a row, blanks trimmed. A short or
// empty row gives empty fields.
RowFields read_row_fields(const std::string& row);

// "    7" followed by 62 blanks for index 6: a row that holds no banknote.
std::string blank_row_text(int index);

// The row number in 5 characters and four blanks: the start of every row text.
std::string row_number_text(int index);

// `row` made fit for editing: an empty text becomes the blank row of `index`, a shorter text
// is completed with blanks to 67 characters.
std::string full_row_text(const std::string& row, int index);

// `row` with `text` written left-aligned, blank-padded into the field's columns; a text longer
// than the field leaves the row as it was.
std::string put_row_field(const std::string& row, RowField field, const std::string& text);

// `row` with positions 31-66 replaced by the 36-character `side_columns`.
std::string put_side_columns(const std::string& row, const std::string& side_columns);

// `row` with "*" at the mark position of every flagged side.
std::string put_side_marks(const std::string& row, const SideFlags& marked);

// `row` with a blank at each of the four side mark positions it reaches.
std::string clear_side_marks(const std::string& row);

// The side column text of a count: right-aligned in 9 characters ("        0").
std::string side_column_text(int count);

// The part of a sample file name before the side: name, "." and the extension when there is
// one, "_", nominal. USD, OLD, 100 give "USD.OLD_100".
std::string banknote_prefix(const RowFields& fields);

// "_1_" .. "_4_" for sides 1..4; "" for any other side (no side chosen).
std::string side_part(int side);

// The sample prefix of one side of a banknote: USD, OLD, 100, side 2 give "USD.OLD_100_2_".
std::string sample_prefix_for(const RowFields& fields, int side);

// What a received sample may do with the selected row: 0 name and nominal present, 1 name
// empty, 2 nominal empty, 3 both empty.
int sampling_target_state_of(const RowFields& fields);

struct SamplingTarget {
    std::string sample_prefix; // for the highest checked side, without a side part if none
    int state = 0;             // `sampling_target_state`
};

// `select_sampling_target` over the selected row's text and the side radio buttons.
SamplingTarget select_sampling_target(const std::string& row, const SideFlags& checked);
