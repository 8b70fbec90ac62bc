#include "database/row_edits.h"

#include "database/side_columns.h"

#include <cstring>

namespace {

int column_width(RowField field) {
    switch (field) {
    case RowField::name: return name_width;
    case RowField::ext: return ext_width;
    case RowField::nominal: return nominal_width;
    }
    return 0;
}

bool allowed_in(RowField field, char c) {
    return field == RowField::nominal ? is_nominal_character(c) : is_name_character(c);
}

// A blank with a non-blank character on both sides somewhere.
bool has_inner_blank(const std::string& text) {
    const std::string trimmed = trim_blanks(text);
    return trimmed.find(' ') != std::string::npos;
}

} // namespace

bool is_name_character(char c) {
    return c == ' ' || (c >= '0' && c <= '9') || (c != '\0' && std::strchr("ABCDEFHILNOPRSU", c));
}

bool is_nominal_character(char c) {
    return c == ' ' || (c >= '0' && c <= '9');
}

std::string upper_case_letters(const std::string& text) {
    std::string upper = text;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

FieldEdit check_field_edit(RowField field, const std::string& typed, const std::string& accepted) {
    const std::string text = field == RowField::nominal ? typed : upper_case_letters(typed);
    if (text == accepted)
        return {EditOutcome::unchanged, accepted};
    bool acceptable =
        text.size() <= static_cast<std::size_t>(column_width(field)) && !has_inner_blank(text);
    for (const char c : text)
        acceptable = acceptable && allowed_in(field, c);
    if (!acceptable)
        return {EditOutcome::refused, accepted};
    return {EditOutcome::accepted, text};
}

std::string edited_row_text(const std::string& row, int index, RowField field,
                            const std::string& text, const RowFields& fields,
                            const SideFlags& marked, const std::vector<std::string>& names) {
    const RowFields trimmed{trim_blanks(fields.name), trim_blanks(fields.ext),
                            trim_blanks(fields.nominal)};
    std::string result =
        put_side_columns(full_row_text(row, index), build_side_columns(trimmed, names).text);
    result = put_side_marks(result, marked);
    return put_row_field(result, field, text);
}

std::string cleared_row_text(const std::string& row, int index, const SideFlags& marked) {
    std::string result = row;
    for (const RowField field : {RowField::name, RowField::ext, RowField::nominal})
        result = edited_row_text(result, index, field, "", RowFields{}, marked, {});
    return result;
}
