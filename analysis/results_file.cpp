#include "analysis/results_file.h"

#include "analysis/text_fields.h"
#include "files/folder_files.h"

#include <algorithm>

std::string res_file_name(std::string_view name) {
    return std::string(name) + res_extension;
}

NewResNameStep new_res_name_step(bool edit_active, std::string_view name, bool file_exists,
                                 std::string_view overwrite_candidate) {
    if (!edit_active || name.empty())
        return NewResNameStep::nothing;
    if (!is_acceptable_file_name(name))
        return NewResNameStep::refuse;
    if (file_exists && res_file_name(name) != overwrite_candidate)
        return NewResNameStep::ask_overwrite;
    return NewResNameStep::create;
}

std::vector<std::string> res_names_from_listing(const std::vector<std::string>& file_names) {
    std::vector<std::string> names;
    for (const std::string& file_name : names_with_extension(file_names, res_extension)) {
        if (names.size() == res_name_capacity)
            break;
        names.push_back(listing_name(file_name));
    }
    return names;
}

int add_res_name(std::vector<std::string>& names, std::string_view name) {
    if (std::find(names.begin(), names.end(), name) != names.end())
        return 0;
    if (names.size() >= res_name_capacity)
        return -1;
    names.emplace_back(name);
    return 1;
}

std::vector<std::string> parse_results_file(std::string_view contents) {
    std::vector<std::string> lines;
    while (!contents.empty()) {
        const std::size_t end = contents.find('\n');
        std::string_view line = contents.substr(0, end);
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(
            printable_text(reinterpret_cast<const std::uint8_t*>(line.data()), line.size()));
    }
    return lines;
}

int read_results_file(const std::string& folder, const std::string& file_name,
                      std::vector<std::string>& lines) {
    std::string contents;
    const int result = read_text_file(path_in(folder, file_name), contents);
    lines = result == 1 ? parse_results_file(contents) : std::vector<std::string>{};
    return result;
}

std::FILE* open_results_file(const std::string& folder, const std::string& file_name, bool create) {
    return std::fopen(path_in(folder, file_name).c_str(), create ? "w+b" : "r+b");
}

int append_results_line(std::FILE* file, std::string_view line) {
    if (file == nullptr)
        return -1;
    // A file cut off after its last line (another program, a power cut) ends without a line
    // end; the new line must not merge with that one on disk.
    const bool after_cut_line = std::fseek(file, -1, SEEK_END) == 0 && std::fgetc(file) != '\n';
    const std::string text = (after_cut_line ? line_end : "") + std::string(line) + line_end;
    const bool written = std::fseek(file, 0, SEEK_END) == 0 &&
                         std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fflush(file) == 0 && written ? 1 : 0;
}
