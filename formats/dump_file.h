// Memory dump files: each 16048-byte dump the device sends is kept unchanged as "<n>.ram" in
// the working folder, n counting up from the highest number found at start-up. Files live in
// an explicit folder; the program passes "." (the working folder).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Every dump file ends so.
inline constexpr const char* dump_extension = ".ram";
// The dump counter is capped at start-up, so dumps continue after 99999 even when files with
// higher numbers exist.
inline constexpr int dump_counter_limit = 99999;
// The analysis list holds at most this many lines, start-up and received dumps together.
inline constexpr std::size_t dump_lines_capacity = 10000;
// Shown (red) when a dump arrives while the analysis list is full: its file is still written.
inline constexpr const char* dump_lines_full_text = "Too many dump lines";

// "7.ram" for dump 7.
std::string dump_file_name(int number);

struct DumpScan {
    int highest_found = 0;               // for the "Max bin file number :" panel, not capped
    int counter = 0;                     // highest_found capped at 99999
    std::vector<int> numbers_to_analyse; // existing dumps 1..counter, ascending, at most 10000
};

// `scan_dump_files` over the file names of the working folder. Each "*.ram" name counts with
// the leading decimal digits of its part before the first "." (no digits: 0; absurdly long
// numbers count as the largest int). Only the exactly named files "1.ram" .. "<counter>.ram"
// are analysed.
DumpScan scan_dump_files(const std::vector<std::string>& file_names);

// Writes `length` bytes as dump `number` of `folder`: complete or not at all (written under a
// temporary name, renamed when complete). 1 on success; 0 on failure.
int write_dump_file(const std::string& folder, int number, const std::uint8_t* bytes,
                    std::size_t length);
