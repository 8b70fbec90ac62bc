#include "samples/sample_sides.h"

#include "formats/sample_names.h"

#include <algorithm>
#include <map>
#include <utility>

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
