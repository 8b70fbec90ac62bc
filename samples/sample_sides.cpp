#include "samples/sample_sides.h"

#include "formats/sample_names.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {

const std::string bin_extension = ".bin";

} // namespace

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

std::vector<SampleSide> sample_sides_of(const std::vector<std::string>& folder_names) {
    std::map<std::string, std::vector<std::pair<int, std::string>>> numbered_files;
    for (const std::string& name : folder_names) {
        std::string prefix;
        int number = 0;
        if (split_sample_file_name(name, prefix, number))
            numbered_files[prefix].emplace_back(number, name);
    }
    std::vector<SampleSide> sides;
    for (auto& [prefix, files] : numbered_files) {
        std::sort(files.begin(), files.end());
        SampleSide side{prefix, {}};
        for (const auto& file : files)
            side.file_names.push_back(file.second);
        sides.push_back(std::move(side));
    }
    return sides;
}

std::vector<std::string> side_file_names(const std::string& prefix,
                                         const std::vector<std::string>& folder_names) {
    for (const SampleSide& side : sample_sides_of(folder_names))
        if (side.prefix == prefix)
            return side.file_names;
    return {};
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
