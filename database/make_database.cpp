#include "database/make_database.h"

#include "database/description_file.h"
#include "database/image_data.h"
#include "database/side_columns.h"
#include "files/folder_files.h"

namespace {

void show_progress(const MakeInput& input, const std::string& text) {
    if (input.progress)
        input.progress(text);
}

std::string creating_text(const MakeInput& input) {
    return "Creating " + input.db_file_name + " ...";
}

} // namespace

int make_row(const MakeInput& input, int index, MakeState& state) {
    const std::string line = std::to_string(index + 1);
    const RowFields fields = read_row_fields(input.rows[static_cast<std::size_t>(index)]);
    if (fields.nominal.empty()) {
        if (fields.name.empty() && fields.ext.empty())
            return 1;
        state.message = "There is not Nominal, see line " + line;
        return 0;
    }
    if (fields.name.empty()) {
        state.message = "There is not Name, see line " + line;
        return 0;
    }
    const SideColumns columns = build_side_columns(fields, input.names);
    const auto found = [&](int side) {
        return columns.counts[static_cast<std::size_t>(side - 1)].found_count;
    };
    if (found(1) == 0) {
        state.message = "There are not file's for Side1, see line" + line;
        return 0;
    }
    const bool other_sides_none = found(2) == 0 && found(3) == 0 && found(4) == 0;
    const bool other_sides_all = found(2) != 0 && found(3) != 0 && found(4) != 0;
    if (!other_sides_none && !other_sides_all) {
        state.message = "File's must be made for Side1 or for all Side's  , see line " + line;
        return 0;
    }
    ++state.made_rows;
    show_progress(input, creating_text(input) + std::to_string(state.made_rows));
    const int sides = other_sides_all ? side_count : 1;
    for (int side = 1; side <= sides; ++side) {
        const int highest = columns.counts[static_cast<std::size_t>(side - 1)].highest_number;
        state.text += write_side_image(sample_prefix_for(fields, side), highest, input.mc_percent,
                                       input.folder, input.names)
                          .text;
    }
    return 1;
}

int make_database_text(const MakeInput& input, MakeState& state) {
    state = {};
    state.text = cor_line(input.mc_percent);
    for (int index = 0; index < db_row_count; ++index) {
        if (!make_row(input, index, state))
            return 0;
        if (input.row_progress)
            input.row_progress(index + 1, db_row_count);
    }
    if (state.made_rows == 0) {
        state.message = "Can't find .BIN file";
        return 0;
    }
    return 1;
}

int make_database(const MakeInput& input, std::string& message) {
    show_progress(input, creating_text(input));
    MakeState state;
    if (!make_database_text(input, state)) {
        message = state.message;
        return 0;
    }
    const std::string rename_failure =
        std::string("Can't rename ") + make_temporary_name + " to " + input.db_file_name;
    if (input.db_file_name.empty()) {
        message = rename_failure;
        return 0;
    }
    const int written = write_file_atomically(path_in(input.folder, input.db_file_name),
                                              path_in(input.folder, make_temporary_name),
                                              state.text.data(), state.text.size());
    if (written != 1) {
        message =
            written == 0 ? std::string("Can't create ") + make_temporary_name : rename_failure;
        return 0;
    }
    message = input.db_file_name + " file is created";
    return 1;
}
