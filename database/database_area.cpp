#include "database/database_area.h"

#include "analysis/sampling_control.h"
#include "database/description_page.h"
#include "database/table_editor.h"
#include "ui/controls.h"

DbRows db_rows{};
std::vector<std::string> db_file_names;
int mc_percent = 0;
ClassListBox* db_table_list = nullptr;
ClassListBox* db_file_list = nullptr;

std::string selected_db_file_name() {
    if (!db_file_list)
        return {};
    const int index = db_file_list->highest_selected_index();
    if (index < 0 || static_cast<std::size_t>(index) >= db_file_names.size())
        return {};
    return db_file_names[static_cast<std::size_t>(index)] + ".dnl";
}

void reload_database_table() {
    load_description(db_file_list ? db_file_list->highest_selected_index() : -1);
    fill_database_table();
    on_database_row_selected();
}
