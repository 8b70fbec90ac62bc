#include "database/row_text.h"

#include <string>

namespace {

struct FieldColumns {
    int position;
    int width;
};

FieldColumns columns_of(RowField field) {
    switch (field) {
    case RowField::name: return {name_position, name_width};
    case RowField::ext: return {ext_position, ext_width};
    case RowField::nominal: return {nominal_position, nominal_width};
    }
    return {name_position, name_width};
}

// `row` with `text` at `position`, the row first completed with blanks if it is too short.
std::string overwrite_at(std::string row, int position, const std::string& text) {
    const std::size_t end = static_cast<std::size_t>(position) + text.size();
    if (row.size() < end)
        row.resize(end, ' ');
    row.replace(static_cast<std::size_t>(position), text.size(), text);
    return row;
}

} // namespace

std::string trim_blanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string right_aligned(const std::string& text, int width) {
    const std::size_t wanted = static_cast<std::size_t>(width);
    if (text.size() >= wanted)
        return text;
    return std::string(wanted - text.size(), ' ') + text;
}

std::string row_range(const std::string& row, int first, int last) {
    const std::size_t start = static_cast<std::size_t>(first);
    if (start >= row.size() || last < first)
        return {};
    return trim_blanks(row.substr(start, static_cast<std::size_t>(last - first + 1)));
}

RowFields read_row_fields(const std::string& row) {
    return {row_range(row, name_position, name_position + name_width - 1),
            row_range(row, ext_position, ext_position + ext_width - 1),
            row_range(row, nominal_position, nominal_position + nominal_width - 1)};
}

std::string row_number_text(int index) {
    return right_aligned(std::to_string(index + 1), 5) + "    ";
}

std::string blank_row_text(int index) {
    return right_aligned(std::to_string(index + 1), 5) + std::string(row_text_length - 5, ' ');
}

std::string full_row_text(const std::string& row, int index) {
    if (row.empty())
        return blank_row_text(index);
    std::string full = row;
    if (full.size() < static_cast<std::size_t>(row_text_length))
        full.resize(row_text_length, ' ');
    return full;
}

std::string put_row_field(const std::string& row, RowField field, const std::string& text) {
    const FieldColumns columns = columns_of(field);
    if (text.size() > static_cast<std::size_t>(columns.width))
        return row;
    std::string padded = text;
    padded.resize(static_cast<std::size_t>(columns.width), ' ');
    return overwrite_at(row, columns.position, padded);
}

std::string put_side_columns(const std::string& row, const std::string& side_columns) {
    return overwrite_at(row, side_columns_position, side_columns);
}

namespace {

// The mark is the third character of a side column.
int side_mark_position(int side) {
    return side_columns_position + 2 + side * side_column_width;
}

} // namespace

std::string put_side_marks(const std::string& row, const SideFlags& marked) {
    std::string result = row;
    for (int side = 0; side < side_count; ++side) {
        if (marked[static_cast<std::size_t>(side)])
            result = overwrite_at(result, side_mark_position(side), "*");
    }
    return result;
}

std::string clear_side_marks(const std::string& row) {
    std::string result = row;
    for (int side = 0; side < side_count; ++side) {
        const auto at = static_cast<std::size_t>(side_mark_position(side));
        if (at < result.size())
            result[at] = ' ';
    }
    return result;
}

std::string side_column_text(int count) {
    return right_aligned(std::to_string(count), side_column_width);
}

std::string banknote_prefix(const RowFields& fields) {
    std::string prefix = fields.name;
    if (!fields.ext.empty())
        prefix += "." + fields.ext;
    return prefix + "_" + fields.nominal;
}

std::string side_part(int side) {
    if (side < 1 || side > side_count)
        return {};
    return "_" + std::to_string(side) + "_";
}

std::string sample_prefix_for(const RowFields& fields, int side) {
    return banknote_prefix(fields) + side_part(side);
}

int sampling_target_state_of(const RowFields& fields) {
    int state = 0;
    if (fields.name.empty())
        state = 1;
    if (fields.nominal.empty())
        state = fields.name.empty() ? 3 : 2;
    return state;
}

SamplingTarget select_sampling_target(const std::string& row, const SideFlags& checked) {
    const RowFields fields = read_row_fields(row);
    int side = 0;
    for (int s = 1; s <= side_count; ++s) {
        if (checked[static_cast<std::size_t>(s - 1)])
            side = s;
    }
    return {sample_prefix_for(fields, side), sampling_target_state_of(fields)};
}
