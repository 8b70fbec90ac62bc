// The banknote database as the window program holds it, and the lists of the database area
// that the SAMPLING and COLLECT pages share.
#pragma once

#include "database/row_text.h"

#include <string>
#include <vector>

class ClassListBox;

// The 120 rows the database table shows.
extern DbRows db_rows;
// The description files ("*.dnl") the list of DB files shows, each without its extension.
extern std::vector<std::string> db_file_names;

// The database table (300, 130) and the list of DB files (15, 160).
extern ClassListBox* db_table_list;
extern ClassListBox* db_file_list;

// "NAME.dnl" of the description selected in the list of DB files; "" when there is none.
std::string selected_db_file_name();
