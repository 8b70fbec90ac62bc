// Reading a description file as the loader and the download do: a sequence of whitespace-
// separated tokens (line breaks carry no meaning), the side header tokens that name a banknote
// side, and the word-list tokens of the ".PWORD" lines of a made file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Walks the tokens of a text; `line` is the 1-based line of the last token returned, so that
// an error can point at it.
struct TokenReader {
    std::string_view text;
    std::size_t position = 0;
    int line = 1;
};

// The next token of `reader`, or false at the end of the text (the line then stays at the
// line of the last token).
bool next_token(TokenReader& reader, std::string_view& token);

// Every token of a text, in order.
std::vector<std::string> split_tokens(std::string_view text);

// A token and the line (from 1) it stands on.
struct TextToken {
    std::string text;
    int line = 0;
};

std::vector<TextToken> split_tokens_with_lines(std::string_view text);

// Whether the text holds a token that begins with ".P": the file is in its made stage.
bool is_made_file_text(std::string_view text);

inline constexpr int words_per_line = 8;
inline constexpr int bytes_per_word = 3;
inline constexpr int bytes_per_line = words_per_line * bytes_per_word; // 24

// Decodes a word list "0xHHHHHH,0xHHHHHH,..." (one to eight words of six hexadecimal
// digits) into `bytes`, three bytes per word in written order. Returns the number of words,
// or -1 when the token has another shape. Only the words present are written.
int decode_word_list(std::string_view token, std::uint8_t* bytes);

// The header token of one side of a made file, ";USD.OLD_100_1_12": name, optional extension,
// nominal, side digit and the number of sample files used.
struct SideHeader {
    std::string name;      // 1..3 characters
    std::string extension; // 0..3 characters
    std::uint32_t nominal = 0;
    int side = 0;         // 1..4
    int sample_count = 0; // 0..4095, it travels in 12 bits
};

inline constexpr int max_sample_count = 4095;

// Parses a side header token. Returns 1, or 0 when the token has another shape (no count,
// a side digit outside 1..4, a name or extension longer than 3, a nominal that is not 1..7
// digits, a count that does not fit 12 bits).
int parse_side_header(std::string_view token, SideHeader& header);
