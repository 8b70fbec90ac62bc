// Making a database: every table row that names a banknote is checked and the image data of
// its sides is generated from the sample files; the result replaces the description file.
//
// The made text is built in memory and written to "ZELK.TMP", which is renamed over the
// description file in one step only when it is complete. The description file is therefore
// either the old one or the complete made one, never lost or half written.
#pragma once

#include "database/row_text.h"
#include "formats/made_file.h"

#include <functional>
#include <string>
#include <vector>

// Shows a progress text (information) while the make runs; may be empty.
using MakeProgress = std::function<void(const std::string&)>;

struct MakeInput {
    DbRows rows;
    std::string db_file_name; // e.g. "EURO.dnl"
    int mc_percent = 0;
    std::string folder = ".";       // where the sample files, "ZELK.TMP" and the file are
    std::vector<std::string> names; // the listing of `folder`
    MakeProgress progress;
    // Rows looked at of all rows; may be empty.
    std::function<void(int done, int total)> row_progress;
};

struct MakeState {
    std::string text;    // the made file so far
    int made_rows = 0;   // `made_rows`
    std::string message; // the error of the check that stopped the make
};

// `make_row`: checks row `index` and appends the blocks of its sides to `state.text`.
// 1 to go on (made, or an empty row); 0 to stop with the error in `state.message`:
//   "There is not Nominal, see line L", "There is not Name, see line L",
//   "There are not file's for Side1, see lineL",
//   "File's must be made for Side1 or for all Side's  , see line L"   (L = index + 1).
int make_row(const MakeInput& input, int index, MakeState& state);

// The whole made text of the table. 1 when at least one row was made; 0 with the error in
// `state.message` (a row check, or "Can't find .BIN file").
int make_database_text(const MakeInput& input, MakeState& state);

// `make_database`: shows "Creating <file> ..." and "Creating <file> ...N" per made row through
// `progress`, then puts the made file in place. Returns 1 with `message`
// "<file> file is created" (information); 0 with an error in `message`: a row check,
// "Can't find .BIN file", "Can't create ZELK.TMP" or "Can't rename ZELK.TMP to <file>".
// On 0 the description file is unchanged.
int make_database(const MakeInput& input, std::string& message);
