// The sample files of a folder grouped by side: every file named `prefix` + number + ".bin"
// ("USD.OLD_100_1_7.bin": prefix "USD.OLD_100_1_", number 7), whatever its content.
#pragma once

#include "formats/sample_names.h"

#include <string>
#include <vector>

struct SampleSide {
    std::string prefix;                  // the name up to and including its last "_"
    std::vector<std::string> file_names; // ordered by number, then by name
};

// The sides that have sample files among `folder_names`, ordered by prefix.
std::vector<SampleSide> sample_sides_of(const std::vector<std::string>& folder_names);

// The sample files of exactly `prefix` among `folder_names`, ordered by number; files of
// longer prefixes that begin with it ("A_1_2_3.bin" for "A_1_") are not among them.
std::vector<std::string> side_file_names(const std::string& prefix,
                                         const std::vector<std::string>& folder_names);
