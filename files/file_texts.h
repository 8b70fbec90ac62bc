// The status-line texts about files of the working folder, exactly as the users know them.
#pragma once

#include <string>
#include <string_view>

// "Can't find " + file name: a file that cannot be read (red).
std::string cant_find_text(std::string_view file_name);

// "Can't write " + file name: a file, a line or a sample that could not be stored (red).
std::string cant_write_text(std::string_view file_name);

// The question asked before a typed name replaces an existing file (red): Enter again
// overwrites it.
std::string overwrite_question_text(std::string_view name);
