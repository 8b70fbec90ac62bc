// The names the user types for new files, RES and DB files alike: the rule every typed name
// keeps, what Enter in a new-name entry does, and the names of the file lists they join.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A file list (RES files, DB files) holds at most this many names.
inline constexpr std::size_t listed_names_capacity = 1000;

// The one rule for every name the user types for a new file: refused when it is empty, "."
// or "..", or contains "/" or a zero byte, so that no file outside the working folder is ever
// created.
bool is_acceptable_file_name(std::string_view name);

// What Enter in a new-name entry does.
enum class NewNameStep {
    nothing,       // an empty name
    refuse,        // a name is_acceptable_file_name refuses: the page says so, the entry stays
    ask_overwrite, // the file exists and this is the first Enter for the name: the page shows
                   // overwrite_question_text and remembers the name as the overwrite candidate
    create,        // create (or overwrite) the file
};

// `file_exists`: whether the file of `name` exists now; `overwrite_candidate`: the name for
// which the question was last asked ("" since the entry opened).
NewNameStep new_name_step(std::string_view name, bool file_exists,
                          std::string_view overwrite_candidate);

// The names a file list shows for the file names of a folder: those ending in `extension`,
// sorted, each up to its first "." and at most 30 characters, at most listed_names_capacity.
std::vector<std::string> listed_names(const std::vector<std::string>& file_names,
                                      const std::string& extension);

// Adds `name` to the names of a file list unless it is there. 1 added (the caller adds it to
// the list control), 0 already there, -1 the list is full (the name is not added).
int add_listed_name(std::vector<std::string>& names, std::string_view name);
