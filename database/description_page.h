// The window side of the description files ("<name>.dnl") on the SAMPLING page: loading the
// selected one into the table, "Save DB file", and "New DB file" with its name entry.
#pragma once

#include <string>

// 1 while the "New DB file" name entry is open in place of its button.
extern int db_name_entry_open;
// The name for which the overwrite question was last shown.
extern std::string db_overwrite_candidate;

// Loads db_file_names[index] into db_rows with the side columns of the page shown and sets
// mc_percent to 0; tokens that make no row are named on the status line and kept for the
// next save. A file that cannot be read gives numbered blank rows and "Can't find ...", and
// mc_percent keeps its value. Without description files every row is empty.
void load_db_file(int index);

// "Save DB file": the table into the description selected in the list of DB files.
void save_db_file();

// "New DB file": opens the name entry in place of the button.
void new_description_file();

// Keys of the SAMPLING page: space empties the row edits; Enter and Esc finish the name entry.
bool db_page_key(int key);

// Loads the selected description with the side columns of the page shown, and fills the
// database table with the 120 rows again, row 0 selected.
void reload_database_table();

// The main loop's handler of the list of DB files: the chosen description is shown and loaded.
void on_db_file_selected();
