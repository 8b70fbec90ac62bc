// The made description file and the ".UPL" file of an upload, which shares its lines: the
// "COR=" line, then per banknote side a header line ";USD.OLD_100_1_12" and its ".PWORD" lines
// of eight 24-bit words, the last one the side's trailer. Lines end with CR LF when written; the
// loader and the download read the text as whitespace-separated tokens (line breaks carry no
// meaning).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Description files end so.
inline constexpr const char* description_extension = ".dnl";

// A made file is written under this name and renamed over the description file when complete.
inline constexpr const char* make_temporary_name = "ZELK.TMP";

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

using PwordBytes = std::array<std::uint8_t, bytes_per_line>;

// "COR=" + the MC percentage: the first line of a made file.
std::string cor_line(int mc_percent);

// The header line of a side: ";" + its sample prefix ("USD.OLD_100_1_") + the number of sample
// files its image was made from.
std::string side_header_line(const std::string& sample_prefix, int sample_count);

// ".PWORD 0x" + eight groups of three bytes as upper-case hexadecimal, joined by ",0x".
std::string pword_line(const PwordBytes& bytes);

// The last line of a side: ".PWORD 0x" + t0 t1 t2 + ",0x" + t3 + "FFFF".
std::string trailer_line(const std::array<std::uint8_t, 4>& trailer);

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
