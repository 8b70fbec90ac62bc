// Database description files ("<name>.dnl"): the banknote table on disk.
//
// Description stage, as saved:            Made stage (written by the make):
//   COR=<mc_percent>                         COR=<mc_percent>
//   ;USD.OLD_100_1                           ;USD.OLD_100_1_12   then its ".PWORD" lines
//   ;EUR_5_1                                 ;USD.OLD_100_2_12   ... one block per made side
// Lines end with CR LF; readers take whitespace-separated tokens, so line ends carry no
// meaning. Only side-1 banknote tokens make table rows, so both stages load alike. The "COR="
// value is not read back: whoever loads a file sets `mc_percent` to 0.
#pragma once

#include "database/row_text.h"
#include "formats/made_file.h"

#include <string>
#include <vector>

struct BanknoteToken {
    RowFields fields;
    int side = 0;      // 1..4
    std::string count; // text after the side digit and "_" (made stage), else empty
};

// Parses ";" name ["." ext] "_" nominal "_" side ["_" count]. False for any other token.
bool parse_banknote_token(const std::string& token, BanknoteToken& banknote);

// The side columns a loaded table shows.
enum class LoadedColumns {
    none,          // other pages: rows end after the nominal
    sample_counts, // SAMPLING page: counted from the sample files (`names`)
    made_counts,   // COLLECT page: the counts of a made file's side tokens
};

// The 120 rows of a description file's text: one per side-1 banknote token (at most 120,
// nominals right-aligned), the rest numbered blank rows. Tokens whose fields the edit fields
// would refuse (too long, other characters), or without a name or nominal, make no row, nor
// do side-1 tokens beyond the 120th row; they go to `unloaded` when it is given.
DbRows rows_from_description(const std::string& text, LoadedColumns columns,
                             const std::vector<std::string>& names,
                             std::vector<TextToken>* unloaded = nullptr);

// The error that names every unloaded token of `file_name` with its line ("" when none).
std::string unloaded_tokens_message(const std::string& file_name,
                                    const std::vector<TextToken>& unloaded);

// `load_description` of the file `path` (shown as `file_name`). 1 when loaded: `kept_tokens`
// are the tokens that made no row (kept for the next save), and `message` names them (an
// error) or is empty. 0 when it cannot be read: `rows` are numbered blank rows, no tokens
// are kept, and `message` is "Can't find " + file_name (an error).
int load_description(const std::string& path, const std::string& file_name, LoadedColumns columns,
                     const std::vector<std::string>& names, DbRows& rows,
                     std::vector<std::string>& kept_tokens, std::string& message);

// The description-stage text of `rows`: the "COR=" line, then one line per row up to the
// first row without a name or nominal, then one line per kept token, so that what could not
// be loaded is never dropped from the file.
std::string description_text(const DbRows& rows, int mc_percent,
                             const std::vector<std::string>& kept_tokens = {});

// `save_description` into `path`, complete or not at all. 1 with `message`
// file_name + " file is saved" (information); 0 with "Can't write " + file_name (error), the
// old file unchanged.
int save_description(const std::string& path, const std::string& file_name, const DbRows& rows,
                     int mc_percent, const std::vector<std::string>& kept_tokens,
                     std::string& message);

// What a key pressed on the SAMPLING page does (`db_page_key`).
enum class DbPageKeyAction {
    none,
    clear_row_edits,  // space: `clear_row_edits`
    enter_new_name,   // Enter while the "New DB file" entry is open: `new_name_step`
    close_name_entry, // Esc while it is open: `close_name_edit`, nothing is created
};

DbPageKeyAction db_page_key_action(int key, bool name_entry_open);

// Shown (red) when `new_name_step` refuses the typed name; the entry stays open.
std::string refused_name_message(const std::string& typed);

// Creates `path` empty (an existing file is truncated). 1 on success; 0 with `message`
// "Can't write " + file_name.
int create_empty_description(const std::string& path, const std::string& file_name,
                             std::string& message);
