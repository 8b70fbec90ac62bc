#include "ui/text_string.h"

#include <algorithm>

namespace {

// A text stops at its first zero byte, as it did when it was a zero-terminated buffer.
std::string_view up_to_zero(std::string_view text) {
    return text.substr(0, std::min(text.size(), text.find('\0')));
}

} // namespace

TextString::TextString() : buffer_(std::make_shared<const std::string>()) {}

TextString::TextString(const char* text)
    : buffer_(std::make_shared<const std::string>(text ? text : "")) {}

TextString::TextString(char c)
    : buffer_(std::make_shared<const std::string>(c ? std::string(1, c) : std::string())) {}

TextString::TextString(std::string_view text)
    : buffer_(std::make_shared<const std::string>(up_to_zero(text))) {}

TextString TextString::substring(int start, int end) const {
    start = std::max(start, 0);
    end = std::min(end, length() - 1);
    if (end < start)
        return TextString();
    return TextString(
        view().substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start + 1)));
}

TextString TextString::to_upper() const {
    std::string upper(view());
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return TextString(std::string_view(upper));
}

TextString TextString::trim() const {
    const std::string_view text = view();
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return TextString();
    const std::size_t last = text.find_last_not_of(' ');
    return TextString(text.substr(first, last - first + 1));
}

TextString concat(const TextString& a, const TextString& b) {
    std::string joined(a.view());
    joined += b.view();
    return TextString(std::string_view(joined));
}

TextString append_char(const TextString& a, char c) {
    return concat(a, TextString(c));
}

bool equals(const TextString& a, const TextString& b) {
    return a.view() == b.view();
}

bool differs(const TextString& a, const TextString& b) {
    return !equals(a, b);
}
