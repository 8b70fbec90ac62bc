#include "database/description_page.h"

#include "database/database_area.h"
#include "database/description_file.h"
#include "database/sampling_control.h"
#include "database/table_editor.h"
#include "files/file_texts.h"
#include "files/folder_files.h"
#include "files/typed_names.h"
#include "shell/pages.h"
#include "shell/program_files.h"
#include "shell/program_state.h"
#include "shell/status_line.h"
#include "ui/controls.h"

int db_name_entry_open = 0;
std::string db_overwrite_candidate;

namespace {

// The tokens of the loaded file that made no row: the next save writes them back.
std::vector<std::string> kept_tokens;

LoadedColumns columns_of_page() {
    switch (current_mode) {
    case page_sampling: return LoadedColumns::sample_counts;
    case page_collect: return LoadedColumns::made_counts;
    default: return LoadedColumns::none;
    }
}

void show_message(int result, const std::string& message) {
    const TextString text{std::string_view(message)};
    if (result == 1)
        show_status_info(text);
    else
        show_status_error(text);
}

void enter_new_name() {
    const std::string typed =
        db_area.db_name_edit ? db_area.db_name_edit->get_text().str() : std::string();
    const std::string file_name = typed + description_extension;
    switch (new_name_step(typed, file_exists(path_in(working_folder, file_name)) == 1,
                          db_overwrite_candidate)) {
    case NewNameStep::nothing: return;
    case NewNameStep::refuse:
        show_status_error(TextString(std::string_view(refused_name_message(typed))));
        return;
    case NewNameStep::ask_overwrite:
        db_overwrite_candidate = typed;
        show_status_error(TextString(std::string_view(overwrite_question_text(typed))));
        return;
    case NewNameStep::create: break;
    }
    std::string message;
    if (!create_empty_description(path_in(working_folder, file_name), file_name, message)) {
        show_status_error(TextString(std::string_view(message)));
        return;
    }
    if (add_listed_name(db_file_names, typed) == 1 && db_area.db_file_list)
        db_area.db_file_list->add_item(TextString(std::string_view(typed)));
    show_status_error("");
    close_name_edit();
}

} // namespace

void load_db_file(int index) {
    if (db_file_names.empty() || index < 0 ||
        static_cast<std::size_t>(index) >= db_file_names.size()) {
        db_rows = {};
        kept_tokens.clear();
        return;
    }
    const std::string db_file_name = db_file_names[static_cast<std::size_t>(index)] + ".dnl";
    std::string message;
    // The correction setting is reset only by a file that opens.
    if (load_description(path_in(working_folder, db_file_name), db_file_name, columns_of_page(),
                         list_folder(working_folder), db_rows, kept_tokens, message) == 1)
        mc_percent = 0;
    if (!message.empty())
        show_status_error(TextString(std::string_view(message)));
}

void save_db_file() {
    close_name_edit();
    const std::string file_name = selected_db_file_name();
    if (file_name.empty()) {
        show_status_error("No DB file selected");
        return;
    }
    std::string message;
    const int result = save_description(path_in(working_folder, file_name), file_name, db_rows,
                                        mc_percent, kept_tokens, message);
    show_message(result, message);
}

void new_description_file() {
    if (db_area.new_db_file_button)
        db_area.new_db_file_button->show(false);
    if (db_area.db_name_edit) {
        db_area.db_name_edit->show(true);
        db_area.db_name_edit->take_focus();
    }
    db_name_entry_open = 1;
    db_overwrite_candidate.clear();
}

bool db_page_key(int key) {
    switch (db_page_key_action(key, db_name_entry_open == 1)) {
    case DbPageKeyAction::none: return false;
    case DbPageKeyAction::clear_row_edits: clear_row_edits(); break;
    case DbPageKeyAction::enter_new_name: enter_new_name(); break;
    case DbPageKeyAction::close_name_entry: close_name_edit(); break;
    }
    return true;
}

void on_db_file_selected() {
    const int index = db_area.db_file_list ? db_area.db_file_list->last_selection : -1;
    close_name_edit();
    show_db_name(index >= 0 && static_cast<std::size_t>(index) < db_file_names.size()
                     ? TextString(std::string_view(db_file_names[static_cast<std::size_t>(index)]))
                     : TextString());
    load_db_file(index);
    fill_database_table();
    on_database_row_selected();
}

void reload_database_table() {
    load_db_file(db_area.db_file_list ? db_area.db_file_list->highest_selected_index() : -1);
    fill_database_table();
    on_database_row_selected();
}
