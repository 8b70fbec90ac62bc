#include "formats/results_file.h"

#include "files/folder_files.h"
#include "formats/text_fields.h"

std::string res_file_name(std::string_view name) {
    return std::string(name) + res_extension;
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
