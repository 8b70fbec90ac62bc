#include "formats/image_compression.h"

#include "formats/image_code.h"
#include "formats/made_file.h"

#include <array>

namespace {

constexpr int stretch_bytes = lines_per_stretch * bytes_per_line; // 144
constexpr int trailer_bytes = 4;
// The second tail keeps channels 0 and 1 only.
constexpr int second_tail_groups = 2;

// Reads one ".PWORD" line into `bytes`. A data line holds eight words; the trailer line needs
// at least the `min_words` it is read for.
bool read_line(TokenReader& reader, std::uint8_t* bytes, int min_words, int max_words) {
    std::string_view token;
    if (!next_token(reader, token) || token != ".PWORD" || !next_token(reader, token))
        return false;
    const int words = decode_word_list(token, bytes);
    return words >= min_words && words <= max_words;
}

bool read_data_line(TokenReader& reader, std::uint8_t* bytes) {
    return read_line(reader, bytes, words_per_line, words_per_line);
}

// One stretch: for each of the four 6-byte columns, the group of its minima and then the group
// of its maxima, 18 values each (three pairs of each of the six lines).
void put_stretch(BitWriter& writer, const std::uint8_t* stretch) {
    for (int column = 0; column < bytes_per_line; column += 6) {
        int reference = 0;
        for (int half = 0; half < 2; ++half) {
            std::array<std::uint8_t, main_group_size> group{};
            for (int line = 0; line < lines_per_stretch; ++line)
                for (int pair = 0; pair < 3; ++pair)
                    group[3 * line + pair] =
                        stretch[column + half + bytes_per_line * line + 2 * pair];
            const int base = put_group(writer, group.data(), main_group_size, reference,
                                       PositionCode::main_part);
            reference = half == 0 ? base : 0;
        }
    }
}

// Everything of one side after its header token. False when a line has another shape.
bool put_side(TokenReader& reader, BitWriter& writer, CompressedImages& images) {
    std::array<std::uint8_t, stretch_bytes> stretch{};
    for (int s = 0; s < stretches_per_side; ++s) {
        for (int line = 0; line < lines_per_stretch; ++line)
            if (!read_data_line(reader, stretch.data() + line * bytes_per_line))
                return false;
        put_stretch(writer, stretch.data());
    }
    images.main_ends.push_back(static_cast<std::uint32_t>(align_to_word(writer)));

    std::array<std::uint8_t, bytes_per_line> line{};
    for (int channel = 0; channel < 2 * lines_per_tail; ++channel) {
        if (!read_data_line(reader, line.data()))
            return false;
        if (channel < lines_per_tail + second_tail_groups)
            put_group(writer, line.data(), tail_group_size, 0, PositionCode::tail);
    }
    if (!read_line(reader, line.data(), 2, words_per_line))
        return false;
    for (int i = 0; i < trailer_bytes; ++i)
        put_bits(writer, line[i], 8);
    images.side_ends.push_back(static_cast<std::uint32_t>(align_to_word(writer)));
    return true;
}

} // namespace

int compress_made_file(std::string_view made_text, CompressedImages& images,
                       CompressionFault& fault) {
    images.data.assign(image_buffer_size, 0);
    images.side_ends.assign(1, 0);
    images.main_ends.assign(1, 0);
    BitWriter writer{images.data.data(), images.data.size()};

    TokenReader reader{made_text};
    std::string_view token;
    if (!next_token(reader, token) || !token.starts_with("COR=")) {
        fault.line = reader.line;
        return compression_wrong_format;
    }
    while (next_token(reader, token)) {
        if (!token.starts_with(';') || !put_side(reader, writer, images)) {
            fault.line = reader.line;
            return compression_wrong_format;
        }
        const std::size_t side = images.side_ends.size() - 1;
        const std::uint32_t size = images.side_ends[side] - images.side_ends[side - 1];
        if (size > max_side_bytes) {
            fault.side = static_cast<int>(side);
            fault.size = size;
            return compression_side_too_big;
        }
    }
    return compression_done;
}
