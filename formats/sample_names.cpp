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
