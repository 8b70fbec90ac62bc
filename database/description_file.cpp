#include "database/description_file.h"

#include "database/row_edits.h"
#include "database/side_columns.h"
#include "files/file_texts.h"
#include "files/folder_files.h"
#include "formats/made_file.h"

#include <algorithm>

namespace {

// The text of `token` from `at` up to the first of `stops` (or its end); `at` moves there.
std::string take_until(const std::string& token, std::size_t& at, const char* stops) {
    const std::size_t end = std::min(token.find_first_of(stops, at), token.size());
    std::string part = token.substr(at, end - at);
    at = end;
    return part;
}

bool take_char(const std::string& token, std::size_t& at, char wanted) {
    if (at >= token.size() || token[at] != wanted)
        return false;
    ++at;
    return true;
}

// A loaded row before its side columns: number, name, extension, right-aligned nominal.
std::string loaded_row_start(int index, const RowFields& fields) {
    std::string row = blank_row_text(index).substr(0, side_columns_position);
    row = put_row_field(row, RowField::name, fields.name);
    row = put_row_field(row, RowField::ext, fields.ext);
    return put_row_field(row, RowField::nominal, right_aligned(fields.nominal, nominal_width));
}

bool fits_field(const std::string& text, std::size_t width, bool (*allowed)(char)) {
    return text.size() <= width && std::all_of(text.begin(), text.end(), allowed);
}

// Only what the edit fields accept: longer fields would break the fixed columns, and other
// characters ("/" above all) would make sample file names point outside the working folder.
// A banknote needs a name and a nominal: a row without one ends the table when it is saved,
// so every row after it would be lost.
bool acceptable_fields(const RowFields& fields) {
    return !fields.name.empty() && !fields.nominal.empty() &&
           fits_field(fields.name, name_width, is_name_character) &&
           fits_field(fields.ext, ext_width, is_name_character) &&
           fits_field(fields.nominal, nominal_width, is_nominal_character);
}

// Appends a made file's sample count as one more side column, while there is room for it.
// Only a decimal count is shown: other bytes of a foreign token (control bytes, NUL) would
// reach the table's text.
void append_made_count(std::string& row, const std::string& count) {
    const auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
    if (count.empty() || count.size() >= 7 || !std::all_of(count.begin(), count.end(), is_digit) ||
        row.size() + side_column_width > static_cast<std::size_t>(row_text_length))
        return;
    row += right_aligned(count, side_column_width);
}

} // namespace

bool parse_banknote_token(const std::string& token, BanknoteToken& banknote) {
    banknote = {};
    std::size_t at = 0;
    if (!take_char(token, at, ';'))
        return false;
    banknote.fields.name = take_until(token, at, "._");
    if (take_char(token, at, '.'))
        banknote.fields.ext = take_until(token, at, "_");
    if (!take_char(token, at, '_'))
        return false;
    banknote.fields.nominal = take_until(token, at, "_");
    if (!take_char(token, at, '_') || at >= token.size() || token[at] < '1' || token[at] > '4')
        return false;
    banknote.side = token[at] - '0';
    ++at;
    if (at == token.size())
        return true;
    if (!take_char(token, at, '_'))
        return false;
    banknote.count = token.substr(at);
    return true;
}

DbRows rows_from_description(const std::string& text, LoadedColumns columns,
                             const std::vector<std::string>& names,
                             std::vector<TextToken>* unloaded) {
    DbRows rows;
    const std::vector<TextToken> tokens = split_tokens_with_lines(text);
    int loaded = 0;
    bool last_side1_loaded = false; // side 2..4 counts go to the row of the last side-1 token
    // The first token is the "COR=" line; its value is not read back.
    for (std::size_t t = 1; t < tokens.size(); ++t) {
        BanknoteToken banknote;
        if (!parse_banknote_token(tokens[t].text, banknote))
            continue;
        if (banknote.side != 1) {
            if (columns == LoadedColumns::made_counts && last_side1_loaded)
                append_made_count(rows[static_cast<std::size_t>(loaded - 1)], banknote.count);
            continue;
        }
        last_side1_loaded = loaded < db_row_count && acceptable_fields(banknote.fields);
        if (!last_side1_loaded) {
            if (unloaded)
                unloaded->push_back(tokens[t]);
            continue;
        }
        std::string row = loaded_row_start(loaded, banknote.fields);
        if (columns == LoadedColumns::sample_counts)
            row += build_side_columns(banknote.fields, names).text;
        if (columns == LoadedColumns::made_counts)
            append_made_count(row, banknote.count);
        rows[static_cast<std::size_t>(loaded)] = row;
        ++loaded;
    }
    const std::size_t side1_only_length = 31 + side_column_width;
    for (int r = 0; r < db_row_count; ++r) {
        std::string& row = rows[static_cast<std::size_t>(r)];
        if (r >= loaded)
            row = blank_row_text(r);
        else if (columns == LoadedColumns::made_counts && row.size() == side1_only_length)
            row += side_column_text(0) + side_column_text(0) + side_column_text(0);
    }
    return rows;
}

std::string unloaded_tokens_message(const std::string& file_name,
                                    const std::vector<TextToken>& unloaded) {
    if (unloaded.empty())
        return "";
    std::string message = "Not loaded from " + file_name + ":";
    for (const TextToken& token : unloaded) {
        std::string shown = token.text;
        // Control bytes of a foreign file stay off the status line.
        std::replace_if(
            shown.begin(), shown.end(),
            [](char c) { return static_cast<unsigned char>(c) < 32 || c == 127; }, ' ');
        message += (&token == &unloaded.front() ? " line " : ", line ") +
                   std::to_string(token.line) + " " + shown;
    }
    return message;
}

int load_description(const std::string& path, const std::string& file_name, LoadedColumns columns,
                     const std::vector<std::string>& names, DbRows& rows,
                     std::vector<std::string>& kept_tokens, std::string& message) {
    kept_tokens.clear();
    std::string text;
    if (!read_text_file(path, text)) {
        rows = rows_from_description("", columns, names);
        message = cant_find_text(file_name);
        return 0;
    }
    std::vector<TextToken> unloaded;
    rows = rows_from_description(text, columns, names, &unloaded);
    for (const TextToken& token : unloaded)
        kept_tokens.push_back(token.text);
    message = unloaded_tokens_message(file_name, unloaded);
    return 1;
}

std::string description_text(const DbRows& rows, int mc_percent,
                             const std::vector<std::string>& kept_tokens) {
    std::string text = cor_line(mc_percent);
    for (const std::string& row : rows) {
        const RowFields fields = read_row_fields(row);
        if (fields.name.empty() || fields.nominal.empty())
            break;
        text += ";" + banknote_prefix(fields) + "_1" + line_end;
    }
    for (const std::string& token : kept_tokens)
        text += token + line_end;
    return text;
}

int save_description(const std::string& path, const std::string& file_name, const DbRows& rows,
                     int mc_percent, const std::vector<std::string>& kept_tokens,
                     std::string& message) {
    if (write_file_atomically(path, description_text(rows, mc_percent, kept_tokens)) != 1) {
        message = cant_write_text(file_name);
        return 0;
    }
    message = file_name + " file is saved";
    return 1;
}

DbPageKeyAction db_page_key_action(int key, bool name_entry_open) {
    if (key == 32)
        return DbPageKeyAction::clear_row_edits;
    if (key == 13 && name_entry_open)
        return DbPageKeyAction::enter_new_name;
    if (key == 27 && name_entry_open)
        return DbPageKeyAction::close_name_entry;
    return DbPageKeyAction::none;
}

std::string refused_name_message(const std::string& typed) {
    return "Wrong file name " + typed;
}

int create_empty_description(const std::string& path, const std::string& file_name,
                             std::string& message) {
    if (write_file_atomically(path, std::string()) != 1) {
        message = cant_write_text(file_name);
        return 0;
    }
    message.clear();
    return 1;
}
