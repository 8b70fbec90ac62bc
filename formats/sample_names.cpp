#include "formats/sample_names.h"

#include "files/folder_files.h"

#include <algorithm>
#include <climits>

namespace {

const std::string bin_extension = sample_extension;

} // namespace

std::string sample_file_name(const std::string& prefix, int number) {
    return prefix + std::to_string(number) + bin_extension;
}

int sample_number_of(const std::string& file_name) {
    const std::size_t underscore = file_name.rfind('_');
    return underscore == std::string::npos
               ? 0
               : leading_number(std::string_view(file_name).substr(underscore + 1), INT_MAX - 1);
}

bool matches_sample_prefix(const std::string& prefix, const std::string& file_name) {
    return file_name.size() >= prefix.size() + bin_extension.size() &&
           file_name.compare(0, prefix.size(), prefix) == 0 &&
           file_name.compare(file_name.size() - bin_extension.size(), bin_extension.size(),
                             bin_extension) == 0;
}

std::vector<int> existing_sample_numbers(const std::string& prefix,
                                         const std::vector<std::string>& names, int first,
                                         int last) {
    std::vector<int> numbers;
    for (const std::string& name : names) {
        if (!matches_sample_prefix(prefix, name))
            continue;
        const int number = sample_number_of(name);
        // Only the exact name of the number counts: "X_1_007.bin" is not sample 7.
        if (number >= first && number <= last && name == sample_file_name(prefix, number))
            numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

SampleCount count_sample_names(const std::string& sample_prefix,
                               const std::vector<std::string>& names) {
    SampleCount count;
    for (const std::string& name : names) {
        if (!matches_sample_prefix(sample_prefix, name))
            continue;
        count.highest_number = std::max(count.highest_number, sample_number_of(name));
        ++count.found_count;
    }
    return count;
}

int next_sample_number(const std::string& sample_prefix, const std::vector<std::string>& names) {
    return count_sample_names(sample_prefix, names).highest_number + 1;
}

int split_sample_file_name(const std::string& file_name, std::string& prefix, int& number) {
    if (file_name.size() <= bin_extension.size() ||
        file_name.compare(file_name.size() - bin_extension.size(), bin_extension.size(),
                          bin_extension) != 0)
        return 0;
    const std::string stem = file_name.substr(0, file_name.size() - bin_extension.size());
    const std::size_t underscore = stem.rfind('_');
    if (underscore == std::string::npos || underscore + 1 == stem.size() ||
        !std::all_of(stem.begin() + static_cast<std::ptrdiff_t>(underscore + 1), stem.end(),
                     [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    prefix = stem.substr(0, underscore + 1);
    number = sample_number_of(file_name);
    return 1;
}

PrefixFields prefix_fields(const std::string& prefix) {
    PrefixFields fields;
    fields.name = prefix;
    // NAME[.EXT] _ NOMINAL _ SIDE _
    if (prefix.size() < 4 || prefix.back() != '_')
        return fields;
    const std::size_t side_end = prefix.size() - 1;
    const std::size_t side_start = prefix.rfind('_', side_end - 1);
    if (side_start == std::string::npos || side_start == 0)
        return fields;
    const std::size_t nominal_start = prefix.rfind('_', side_start - 1);
    if (nominal_start == std::string::npos || nominal_start == 0)
        return fields;
    fields.side = prefix.substr(side_start + 1, side_end - side_start - 1);
    fields.nominal = prefix.substr(nominal_start + 1, side_start - nominal_start - 1);
    const std::string name_and_ext = prefix.substr(0, nominal_start);
    const std::size_t dot = name_and_ext.find('.');
    fields.name = name_and_ext.substr(0, dot);
    if (dot != std::string::npos)
        fields.ext = name_and_ext.substr(dot + 1);
    return fields;
}
