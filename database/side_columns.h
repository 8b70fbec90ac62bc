// The side columns of the banknote table: the number of sample files of each side of a row.
#pragma once

#include "database/row_text.h"
#include "formats/sample_names.h"

#include <array>
#include <string>
#include <vector>

// `count_sample_files`: counts the files of `names` (a listing of the folder) that match
// `sample_prefix` + "*.bin". When `nominal` or `name_and_ext` is empty nothing is counted.
// Returns the side column text ("        2"); `count` receives the numbers.
std::string count_sample_files(const std::string& nominal, const std::string& name_and_ext,
                               const std::string& sample_prefix,
                               const std::vector<std::string>& names, SampleCount& count);

struct SideColumns {
    std::string text;                           // 36 characters, Side1 first
    std::array<SampleCount, side_count> counts; // per side; Side4 is what the last count left
};

// `build_side_columns` of a banknote. The caller passes the row's fields, or, for an edited
// row, the accepted (upper-cased) texts of the edit fields.
SideColumns build_side_columns(const RowFields& fields, const std::vector<std::string>& names);

// The selected row refreshed: `row` with fresh side columns and a "*" on every checked side.
std::string refreshed_row_text(const std::string& row, int index, const SideFlags& checked,
                               const std::vector<std::string>& names);
