// The SESSION RESULTS page: the results table with its row rules, the RES file list, the
// current results file, and the entry of a new RES file name.
#pragma once

#include "ui/colour.h"
#include "ui/text_string.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class ClassEditString;
class ClassListBox;
class ClassPushButton;
class ClassSimpleGraphics;

// The table shows this many rows; rule k lies on the lower edge of visible row k.
inline constexpr int result_rule_count = 31;

// The open results file (every line added to the table is appended to it), or nullptr, and
// its name for the status texts.
extern std::FILE* results_file;
extern std::string results_file_name;
// Base name of the current RES file, without ".res".
extern TextString current_res_name;
// The names the RES file list shows (at most listed_names_capacity of files/typed_names.h).
extern std::vector<std::string> res_names;
// 1 while the new-name edit field is open.
extern int res_name_edit_active;
// The name for which the overwrite question was last asked; "" since the edit opened.
extern std::string overwrite_candidate;

extern ClassListBox* results_list;
extern ClassListBox* res_file_list;
extern ClassPushButton* new_res_button;
extern ClassEditString* res_name_edit;
// Grey rules under the empty rows; the database table of the SAMPLING and COLLECT pages lies
// at the same place and uses them as its row lines.
extern std::array<ClassSimpleGraphics*, result_rule_count> thin_row_rules;
// Black rules under the last line of each session.
extern std::array<ClassSimpleGraphics*, result_rule_count> block_rules;

// Creates the page's controls, lists the RES files of the working folder and adds the controls
// to the SESSION RESULTS set (the thin row rules also to the SAMPLING and COLLECT sets).
void build_results_page();
// Creates "ZELK_CON.TMP" empty as the results file, so results arriving before a RES file is
// chosen are kept.
void open_startup_results_file();

// A session result received from the device: its lines are added to the table and the file.
void add_session_result(const std::uint8_t* message, std::size_t length);
// Appends one line to the table and to the results file.
void append_result_line(const TextString& text);

// Opens the RES file selected in the RES file list and shows its lines.
void open_selected_res();
// "New RES file": opens the name edit field.
void begin_new_res_name();
// A key pressed on the page: Enter creates the typed RES file (asking first when it exists),
// Escape closes the edit. True for Enter and Escape.
bool res_name_key(int key_code);

// Empties the table and shows every thin row rule.
void clear_results_view();
// The 31 thin row rules, one pixel high, `width` long, in `colour`.
void create_row_rules(Colour colour, int width);
void show_thin_rules();
// Rule n (1..31); other numbers change nothing.
void hide_thin_rule(int n);
void show_block_rule(int n);
// Shows block rule k exactly when the line below visible row k begins a session.
void update_result_row_lines();
