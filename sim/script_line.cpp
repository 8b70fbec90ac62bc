#include "sim/script_line.h"

#include "formats/hex_digits.h"

#include <cerrno>
#include <cstdlib>

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

std::vector<std::string> script_words(std::string_view line) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && is_blank(line[at]))
            ++at;
        if (at == line.size() || line[at] == '#')
            break;
        const std::size_t start = at;
        while (at < line.size() && !is_blank(line[at]))
            ++at;
        words.emplace_back(line.substr(start, at - start));
    }
    return words;
}

int parse_number(const std::string& word, long low, long high, long& value) {
    if (word.empty() || is_blank(word[0]))
        return 0;
    const bool hexadecimal =
        word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(word.c_str(), &end, hexadecimal ? 16 : 10);
    if (errno != 0 || *end != '\0' || end == word.c_str() || parsed < low || parsed > high)
        return 0;
    value = parsed;
    return 1;
}

int parse_argument(const std::string& word, const char* name, long high, int& value,
                   std::string& message) {
    long parsed = 0;
    if (!parse_number(word, 0, high, parsed)) {
        message = std::string(name) + " '" + word + "' is not 0.." + std::to_string(high);
        return 0;
    }
    value = static_cast<int>(parsed);
    return 1;
}

int parse_hex_bytes(const std::vector<std::string>& words, std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> parsed;
    for (const auto& word : words) {
        std::string_view digits = word;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
            digits.remove_prefix(2);
        if (digits.empty() || digits.size() % 2 != 0)
            return 0;
        for (std::size_t at = 0; at < digits.size(); at += 2) {
            const int high = hex_digit_value(digits[at]);
            const int low = hex_digit_value(digits[at + 1]);
            if (high < 0 || low < 0)
                return 0;
            parsed.push_back(static_cast<std::uint8_t>(high * 16 + low));
        }
    }
    bytes.insert(bytes.end(), parsed.begin(), parsed.end());
    return 1;
}

std::string hex_text(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i)
        append_hex_byte(text, bytes[i]);
    return text;
}
