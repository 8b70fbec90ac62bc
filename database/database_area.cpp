#include "database/database_area.h"

#include "ui/controls.h"

DbRows db_rows{};
std::vector<std::string> db_file_names;
DatabaseControls db_area;

std::string selected_db_file_name() {
    if (!db_area.db_file_list)
        return {};
    const int index = db_area.db_file_list->highest_selected_index();
    if (index < 0 || static_cast<std::size_t>(index) >= db_file_names.size())
        return {};
    return db_file_names[static_cast<std::size_t>(index)] + ".dnl";
}
