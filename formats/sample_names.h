// Sample file names and numbers.
//
// A sample file of one side of a banknote is `sample_prefix` + number + ".bin", for example
// "USD.OLD_100_2_12.bin". Numbers start at 1; a new sample takes the highest number in use + 1,
// so a gap left by a deleted file is not filled. Names match exactly (case-sensitive): the
// program writes the names in the upper case the table shows.
#pragma once

#include <array>
#include <string>
#include <vector>

// Every sample file ends so.
inline constexpr const char* sample_extension = ".bin";

// `prefix` + decimal `number` + ".bin".
std::string sample_file_name(const std::string& prefix, int number);

// The number of a sample file: the leading digits between the last "_" and the name's end
// (0 when there are none). Saturates below INT32_MAX so that number + 1 never overflows.
int sample_number_of(const std::string& file_name);

// Whether `file_name` matches `prefix` + "*.bin".
bool matches_sample_prefix(const std::string& prefix, const std::string& file_name);

// The numbers first..last (ascending) whose file `sample_file_name(prefix, k)` is in `names`.
std::vector<int> existing_sample_numbers(const std::string& prefix,
                                         const std::vector<std::string>& names, int first,
                                         int last);

struct SampleCount {
    int found_count = 0;    // files matching the prefix
    int highest_number = 0; // highest number among them, 0 when none
};

// The files of `names` (a listing of the folder) that match `sample_prefix` + "*.bin".
SampleCount count_sample_names(const std::string& sample_prefix,
                               const std::vector<std::string>& names);

// The number the next sample of `sample_prefix` gets: highest number in use + 1.
int next_sample_number(const std::string& sample_prefix, const std::vector<std::string>& names);

// Splits a sample file name into its prefix and number: the text between the last "_" and
// ".bin" must be decimal digits (at least one). 1 when `file_name` is a sample file name.
int split_sample_file_name(const std::string& file_name, std::string& prefix, int& number);

// What a prefix says of its banknote: "USD.OLD_100_1_" gives USD, OLD, 100, 1. A prefix of
// another shape is all name.
struct PrefixFields {
    std::string name;
    std::string ext;
    std::string nominal;
    std::string side;
};

PrefixFields prefix_fields(const std::string& prefix);
