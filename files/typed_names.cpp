#include "files/typed_names.h"

#include "files/folder_files.h"

#include <algorithm>

bool is_acceptable_file_name(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

NewNameStep new_name_step(std::string_view name, bool file_exists,
                          std::string_view overwrite_candidate) {
    if (name.empty())
        return NewNameStep::nothing;
    if (!is_acceptable_file_name(name))
        return NewNameStep::refuse;
    if (file_exists && name != overwrite_candidate)
        return NewNameStep::ask_overwrite;
    return NewNameStep::create;
}

std::vector<std::string> listed_names(const std::vector<std::string>& file_names,
                                      const std::string& extension) {
    std::vector<std::string> names;
    for (const std::string& file_name : names_with_extension(file_names, extension)) {
        if (names.size() == listed_names_capacity)
            break;
        names.push_back(listing_name(file_name));
    }
    return names;
}

int add_listed_name(std::vector<std::string>& names, std::string_view name) {
    if (std::find(names.begin(), names.end(), name) != names.end())
        return 0;
    if (names.size() >= listed_names_capacity)
        return -1;
    names.emplace_back(name);
    return 1;
}
