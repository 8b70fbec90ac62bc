// The window side of the banknote table on the SAMPLING page: the row store shown in the table
// list, the three row edit fields below it, the side radio buttons above the side columns, and
// the sample-file prefix a received sample needs.
#pragma once

#include "database/row_text.h"

#include <string>

// The last accepted texts of the three edit fields.
extern std::string current_name;
extern std::string current_ext;
extern std::string current_nominal;

// The side radio buttons that are checked.
SideFlags checked_sides();

// The selected row of the database table, -1 when none.
int selected_db_row();

// Stores `text` as row `index` of db_rows and of the table list; the list keeps its selection.
void store_db_row(int index, const std::string& text);

// Fills the table list with the 120 rows of db_rows, row 0 selected.
void fill_database_table();

// Where a sample received now goes: the sample-file prefix of the selected row and the checked
// side, and whether the row has a name and a nominal.
SamplingTarget selected_sampling_target();

// The selected row with its side columns counted again and "*" on every checked side.
void refresh_selected_row();

// Puts the fields of row `index` into the edit fields and keeps them as the accepted texts.
void show_row_in_edits(int index);

// Compares each edit field with its accepted text; an accepted change is written into the
// selected row, a refused one is undone in the field. Runs on every main loop pass while the
// SAMPLING page is shown.
void sync_row_edits();

// Empties the three edit fields and the selected row's name, extension and nominal.
void clear_row_edits();
