// The text type of the window program: labels, file names, row texts and status messages.
// A small immutable byte string; copies share one buffer and behave as independent values.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class TextString {
public:
    TextString();
    TextString(const char* text); // NOLINT: texts convert implicitly, as literals do
    explicit TextString(char c);
    explicit TextString(std::string_view text);

    // The zero-terminated bytes, for the window system and the file functions.
    const char* c_str() const { return buffer_->c_str(); }
    std::string_view view() const { return *buffer_; }
    const std::string& str() const { return *buffer_; }
    int length() const { return static_cast<int>(buffer_->size()); }
    bool empty() const { return buffer_->empty(); }
    // The character at `position`, or the zero byte outside the text.
    char at(int position) const {
        return position >= 0 && position < length() ? (*buffer_)[static_cast<std::size_t>(position)]
                                                    : '\0';
    }

    // The characters from `start` to `end`, both inclusive; a start below 0 counts as 0, an
    // end at or past the length as the last position; an end below the start gives "".
    TextString substring(int start, int end) const;
    // a..z become A..Z; every other byte is kept.
    TextString to_upper() const;
    // Without leading and trailing blanks (only the space character counts).
    TextString trim() const;

    // True when both texts use one buffer (copies of each other).
    bool shares_buffer_with(const TextString& other) const { return buffer_ == other.buffer_; }

private:
    std::shared_ptr<const std::string> buffer_;
};

TextString concat(const TextString& a, const TextString& b);
TextString append_char(const TextString& a, char c);
bool equals(const TextString& a, const TextString& b);
bool differs(const TextString& a, const TextString& b);

inline TextString operator+(const TextString& a, const TextString& b) {
    return concat(a, b);
}
inline TextString operator+(const char* a, const TextString& b) {
    return concat(a, b);
}
inline bool operator==(const TextString& a, const TextString& b) {
    return equals(a, b);
}
