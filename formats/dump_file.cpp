#include "formats/dump_file.h"

#include "files/folder_files.h"

#include <algorithm>
#include <climits>

std::string dump_file_name(int number) {
    return std::to_string(number) + dump_extension;
}

DumpScan scan_dump_files(const std::vector<std::string>& file_names) {
    DumpScan scan;
    const std::vector<std::string> dump_names = names_with_extension(file_names, dump_extension);
    for (const std::string& name : dump_names)
        scan.highest_found =
            std::max(scan.highest_found, leading_number(listing_name(name), INT_MAX));
    scan.counter = std::min(scan.highest_found, dump_counter_limit);
    for (const std::string& name : dump_names) {
        const int number = leading_number(name, INT_MAX);
        if (number >= 1 && number <= scan.counter && name == dump_file_name(number))
            scan.numbers_to_analyse.push_back(number);
    }
    std::sort(scan.numbers_to_analyse.begin(), scan.numbers_to_analyse.end());
    if (scan.numbers_to_analyse.size() > dump_lines_capacity)
        scan.numbers_to_analyse.resize(dump_lines_capacity);
    return scan;
}

int write_dump_file(const std::string& folder, int number, const std::uint8_t* bytes,
                    std::size_t length) {
    const std::string path = path_in(folder, dump_file_name(number));
    return write_file_atomically(path, path + temporary_suffix, bytes, length) == 1 ? 1 : 0;
}
