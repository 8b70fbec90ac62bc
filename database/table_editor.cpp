#include "database/table_editor.h"

#include "database/database_area.h"
#include "database/row_edits.h"
#include "database/side_columns.h"
#include "files/folder_files.h"
#include "shell/pages.h"
#include "shell/program_files.h"
#include "shell/program_state.h"
#include "ui/controls.h"

#include <vector>

std::string current_name;
std::string current_ext;
std::string current_nominal;

namespace {

std::string row_text(int index) {
    return db_area.db_table_list ? db_area.db_table_list->item_text(index).str() : std::string();
}

// One edit field: its accepted text follows an accepted change, and the selected row shows it.
void sync_field(RowField field, ClassEditString* edit, std::string& accepted) {
    if (!edit)
        return;
    const FieldEdit edit_result = check_field_edit(field, edit->get_text().str(), accepted);
    if (edit_result.outcome == EditOutcome::unchanged)
        return;
    if (edit_result.outcome == EditOutcome::refused) {
        edit->set_text(TextString(std::string_view(accepted)));
        return;
    }
    accepted = edit_result.text;
    const int row = selected_db_row();
    if (row < 0)
        return;
    // Counting the side columns ends an open file-name entry, as every table action does.
    close_name_edit();
    const SideFlags marked = sampling_on == 1 ? checked_sides() : SideFlags{};
    store_db_row(row, edited_row_text(row_text(row), row, field, accepted,
                                      {current_name, current_ext, current_nominal}, marked,
                                      list_folder(working_folder)));
}

} // namespace

SideFlags checked_sides() {
    SideFlags checked{};
    for (std::size_t side = 0; side < db_area.side_buttons.size(); ++side)
        checked[side] =
            db_area.side_buttons[side] && db_area.side_buttons[side]->check_state() == 1;
    return checked;
}

int selected_db_row() {
    return db_area.db_table_list ? db_area.db_table_list->highest_selected_index() : -1;
}

void store_db_row(int index, const std::string& text) {
    if (index < 0 || index >= db_row_count)
        return;
    db_rows[static_cast<std::size_t>(index)] = text;
    if (!db_area.db_table_list)
        return;
    const int selected = db_area.db_table_list->highest_selected_index();
    db_area.db_table_list->replace_item(index, TextString(std::string_view(text)));
    if (selected >= 0 && selected != index)
        db_area.db_table_list->select_index(selected);
}

void fill_database_table() {
    if (!db_area.db_table_list)
        return;
    std::vector<TextString> items;
    for (const std::string& row : db_rows)
        items.emplace_back(std::string_view(row));
    db_area.db_table_list->clear_items();
    db_area.db_table_list->fill_items(items, 0);
    // The caller acts on row 0 itself; the main loop need not do it again.
    db_area.db_table_list->last_selection = 0;
}

SamplingTarget selected_sampling_target() {
    return select_sampling_target(row_text(selected_db_row()), checked_sides());
}

void refresh_selected_row() {
    const int row = selected_db_row();
    if (row < 0)
        return;
    close_name_edit();
    store_db_row(
        row, refreshed_row_text(row_text(row), row, checked_sides(), list_folder(working_folder)));
}

void show_row_in_edits(int index) {
    const RowFields fields = read_row_fields(row_text(index));
    current_name = fields.name;
    current_ext = fields.ext;
    current_nominal = fields.nominal;
    if (db_area.name_edit)
        db_area.name_edit->set_text(TextString(std::string_view(current_name)));
    if (db_area.ext_edit)
        db_area.ext_edit->set_text(TextString(std::string_view(current_ext)));
    if (db_area.nominal_edit)
        db_area.nominal_edit->set_text(TextString(std::string_view(current_nominal)));
}

void sync_row_edits() {
    sync_field(RowField::name, db_area.name_edit, current_name);
    sync_field(RowField::ext, db_area.ext_edit, current_ext);
    sync_field(RowField::nominal, db_area.nominal_edit, current_nominal);
}

void clear_row_edits() {
    for (ClassEditString* edit : {db_area.name_edit, db_area.ext_edit, db_area.nominal_edit}) {
        if (edit)
            edit->set_text("");
    }
    sync_row_edits();
    close_name_edit();
}
