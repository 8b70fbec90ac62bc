#include "formats/made_file.h"

#include "files/folder_files.h"
#include "formats/hex_digits.h"

#include <cstdio>

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A decimal text of 1..max_digits digits and nothing else.
bool parse_decimal(std::string_view text, std::size_t max_digits, std::uint32_t& value) {
    if (text.empty() || text.size() > max_digits)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return true;
}

} // namespace

bool next_token(TokenReader& reader, std::string_view& token) {
    const std::string_view text = reader.text;
    std::size_t at = reader.position;
    int line = reader.line;
    while (at < text.size() && is_blank(text[at])) {
        if (text[at] == '\n')
            ++line;
        ++at;
    }
    reader.position = at;
    if (at == text.size())
        return false;
    reader.line = line;
    std::size_t end = at;
    while (end < text.size() && !is_blank(text[end]))
        ++end;
    token = text.substr(at, end - at);
    reader.position = end;
    return true;
}

std::vector<TextToken> split_tokens_with_lines(std::string_view text) {
    TokenReader reader{text};
    std::vector<TextToken> tokens;
    std::string_view token;
    while (next_token(reader, token))
        tokens.push_back({std::string(token), reader.line});
    return tokens;
}

std::vector<std::string> split_tokens(std::string_view text) {
    TokenReader reader{text};
    std::vector<std::string> tokens;
    std::string_view token;
    while (next_token(reader, token))
        tokens.emplace_back(token);
    return tokens;
}

bool is_made_file_text(std::string_view text) {
    TokenReader reader{text};
    std::string_view token;
    while (next_token(reader, token))
        if (token.starts_with(".P"))
            return true;
    return false;
}

int decode_word_list(std::string_view token, std::uint8_t* bytes) {
    // "0x" + six digits, then ",0x" + six digits for every further word: nine characters apart.
    constexpr std::size_t first_word_length = 8;
    constexpr std::size_t word_stride = 9;
    if (token.size() < first_word_length || (token.size() - first_word_length) % word_stride)
        return -1;
    const std::size_t words = 1 + (token.size() - first_word_length) / word_stride;
    if (words > static_cast<std::size_t>(words_per_line))
        return -1;
    for (std::size_t w = 0; w < words; ++w) {
        const std::size_t at = w * word_stride;
        const std::string_view lead = w == 0 ? token.substr(0, 2) : token.substr(at - 1, 3);
        if (lead != (w == 0 ? "0x" : ",0x"))
            return -1;
        for (int b = 0; b < bytes_per_word; ++b) {
            const int high = hex_digit_value(token[at + 2 + 2 * b]);
            const int low = hex_digit_value(token[at + 3 + 2 * b]);
            if (high < 0 || low < 0)
                return -1;
            bytes[w * bytes_per_word + b] = static_cast<std::uint8_t>(high * 16 + low);
        }
    }
    return static_cast<int>(words);
}

int parse_side_header(std::string_view token, SideHeader& header) {
    if (!token.starts_with(';'))
        return 0;
    std::string_view rest = token.substr(1);
    const std::size_t name_end = rest.find_first_of("._");
    if (name_end == std::string_view::npos || name_end == 0 || name_end > 3)
        return 0;
    header.name = std::string(rest.substr(0, name_end));
    header.extension.clear();
    rest = rest.substr(name_end);
    if (rest.front() == '.') {
        const std::size_t ext_end = rest.find('_');
        if (ext_end == std::string_view::npos || ext_end == 1 || ext_end > 4)
            return 0;
        header.extension = std::string(rest.substr(1, ext_end - 1));
        rest = rest.substr(ext_end);
    }
    // rest is now "_nominal_side_count".
    rest = rest.substr(1);
    const std::size_t nominal_end = rest.find('_');
    if (nominal_end == std::string_view::npos ||
        !parse_decimal(rest.substr(0, nominal_end), 7, header.nominal))
        return 0;
    rest = rest.substr(nominal_end + 1);
    if (rest.size() < 3 || rest[0] < '1' || rest[0] > '4' || rest[1] != '_')
        return 0;
    header.side = rest[0] - '0';
    std::uint32_t count = 0;
    if (!parse_decimal(rest.substr(2), 4, count) || count > max_sample_count)
        return 0;
    header.sample_count = static_cast<int>(count);
    return 1;
}

std::string cor_line(int mc_percent) {
    return "COR=" + std::to_string(mc_percent) + line_end;
}

std::string side_header_line(const std::string& sample_prefix, int sample_count) {
    return ";" + sample_prefix + std::to_string(sample_count) + line_end;
}

std::string pword_line(const PwordBytes& bytes) {
    std::string line = ".PWORD 0x";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && i % bytes_per_word == 0)
            line += ",0x";
        append_hex_byte(line, bytes[i]);
    }
    return line + line_end;
}

std::string trailer_line(const std::array<std::uint8_t, 4>& trailer) {
    char line[32];
    std::snprintf(line, sizeof line, ".PWORD 0x%02X%02X%02X,0x%02XFFFF", trailer[0], trailer[1],
                  trailer[2], trailer[3]);
    return line + std::string(line_end);
}
