// The banknote database as the window program holds it, and the lists of the database area
// that the SAMPLING and COLLECT pages share.
#pragma once

#include "database/row_text.h"

#include <array>
#include <string>
#include <vector>

class ClassEditString;
class ClassListBox;
class ClassPushButton;
class ClassRadioButton;
class ClassSimpleGraphics;

// The 120 rows the database table shows.
extern DbRows db_rows;
// The description files ("*.dnl") the list of DB files shows, each without its extension.
extern std::vector<std::string> db_file_names;

// The controls of the database area, created by the page builder. A control that cannot be
// created stays null; the builder resets them all in one step first, so that none names a
// control of an earlier window.
struct DatabaseControls {
    // The database table (300, 130) and the list of DB files (15, 160).
    ClassListBox* db_table_list = nullptr;
    ClassListBox* db_file_list = nullptr;
    // Sampling: the indicator and its state, the buttons, the "   Side1 " .. "   Side4 "
    // column headers under the side radio buttons.
    ClassSimpleGraphics* sampling_indicator = nullptr;
    ClassSimpleGraphics* sampling_state_panel = nullptr;
    ClassPushButton* sampling_button = nullptr;
    ClassPushButton* delete_last_sample_button = nullptr;
    ClassPushButton* accept_push_button = nullptr;
    ClassPushButton* reject_push_button = nullptr;
    ClassPushButton* mc_button = nullptr;
    std::array<ClassSimpleGraphics*, side_count> side_headers{};
    // "New DB file" and the name entry that takes its place while open.
    ClassPushButton* new_db_file_button = nullptr;
    ClassEditString* db_name_edit = nullptr;
    // The name, extension and nominal edit fields; Side1..Side4: which side of the note is
    // being sampled.
    ClassEditString* name_edit = nullptr;
    ClassEditString* ext_edit = nullptr;
    ClassEditString* nominal_edit = nullptr;
    std::array<ClassRadioButton*, side_count> side_buttons{};
};
extern DatabaseControls db_area;

// "NAME.dnl" of the description selected in the list of DB files; "" when there is none.
std::string selected_db_file_name();
