// The rules of the three row edit fields (name, extension, nominal) below the banknote table.
//
// The window code compares each field's text with its last accepted text on every pass of the
// main loop and calls `check_field_edit` only when they differ. For an accepted text it stores
// the text as `current_name` / `current_ext` / `current_nominal` and writes the selected row
// with `edited_row_text`; for a refused one it sets the field back to the accepted text.
#pragma once

#include "database/row_text.h"

#include <string>
#include <vector>

// Name and extension characters: those the device's display can show.
bool is_name_character(char c);

// Nominal characters: digits.
bool is_nominal_character(char c);

// a..z become A..Z; every other character is kept.
std::string upper_case_letters(const std::string& text);

enum class EditOutcome {
    unchanged = 0, // the (upper-cased) text equals the accepted text: nothing to do
    accepted = 1,  // `text` is the new accepted text
    refused = -1,  // the field shows the accepted text again
};

struct FieldEdit {
    EditOutcome outcome = EditOutcome::unchanged;
    std::string text; // the accepted text after the edit (the old one when refused)
};

// Judges the text typed into a field. Name and extension are upper-cased first (the field
// keeps what was typed). Refused: a character outside the field's set, a blank between other
// characters (it would split the saved token), or more characters than the row column holds.
// Leading and trailing blanks are allowed while typing; they are trimmed wherever the row is
// read.
FieldEdit check_field_edit(RowField field, const std::string& typed, const std::string& accepted);

// The selected row after an accepted edit: `text` in the field's columns, the side columns
// counted from `fields` (the accepted texts of all three fields), and, while sampling is on,
// "*" on the checked sides.
std::string edited_row_text(const std::string& row, int index, RowField field,
                            const std::string& text, const RowFields& fields,
                            const SideFlags& marked, const std::vector<std::string>& names);

// The selected row once the Space key has emptied the three fields: no name, extension or
// nominal, every side column "        0", the marks as for an edit.
std::string cleared_row_text(const std::string& row, int index, const SideFlags& marked);
