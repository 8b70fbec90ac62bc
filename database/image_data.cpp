#include "database/image_data.h"

#include "database/description_file.h"
#include "files/folder_files.h"
#include "formats/sample_names.h"

namespace {

constexpr int channel_count = 5;
constexpr int stretch_count = 4;
constexpr int stretch_positions = 72;
constexpr int lines_per_channel = 6;
constexpr int tail_positions = 12;
constexpr std::size_t first_tail_byte = 1440;
constexpr std::size_t second_tail_byte = 1500;
constexpr std::size_t trailer_byte = 1561;

// (minimum, maximum) pairs of `pairs` consecutive positions of one channel from `first_byte`.
std::vector<std::uint8_t> channel_pairs(const Envelope& envelope, std::size_t first_byte,
                                        int channel, int pairs) {
    std::vector<std::uint8_t> bytes;
    for (int j = 0; j < pairs; ++j) {
        const std::size_t at = first_byte + static_cast<std::size_t>(5 * j + channel);
        bytes.push_back(envelope.minimum[at]);
        bytes.push_back(envelope.maximum[at]);
    }
    return bytes;
}

PwordBytes line_at(const std::vector<std::uint8_t>& bytes, std::size_t line) {
    PwordBytes out{};
    for (std::size_t i = 0; i < bytes_per_line; ++i)
        out[i] = bytes[line * bytes_per_line + i];
    return out;
}

// `write_tail_lines`: one line per channel; only channels 0, 1 and 3 take the correction.
std::string write_tail_lines(const Envelope& envelope, std::size_t first_byte, bool correct,
                             int mc_percent) {
    std::string text;
    for (int ch = 0; ch < channel_count; ++ch) {
        const bool correct_channel = correct && ch != 2 && ch != 4;
        text += write_line_24(line_at(channel_pairs(envelope, first_byte, ch, tail_positions), 0),
                              correct_channel, mc_percent);
    }
    return text + line_end + line_end;
}

} // namespace

void correct_pairs(PwordBytes& bytes, int mc_percent) {
    if (mc_percent == 0)
        return;
    for (std::size_t i = 0; i < bytes_per_line; i += 2) {
        const int minimum = bytes[i];
        const int spread = bytes[i + 1] - minimum;
        if (spread > 50 && minimum < 20)
            bytes[i] = static_cast<std::uint8_t>(minimum + spread * mc_percent / 100);
    }
}

std::string write_line_24(PwordBytes bytes, bool correct, int mc_percent) {
    if (correct)
        correct_pairs(bytes, mc_percent);
    return pword_line(bytes);
}

std::string side_image_text(const std::string& sample_prefix, int files_used,
                            const Envelope& envelope, int mc_percent) {
    std::string text = side_header_line(sample_prefix, files_used);
    for (int s = 0; s < stretch_count; ++s) {
        const std::size_t first_byte = static_cast<std::size_t>(s * stretch_positions * 5);
        for (int ch = 0; ch < channel_count; ++ch) {
            const std::vector<std::uint8_t> pairs =
                channel_pairs(envelope, first_byte, ch, stretch_positions);
            for (int line = 0; line < lines_per_channel; ++line)
                text += write_line_24(line_at(pairs, static_cast<std::size_t>(line)), false,
                                      mc_percent);
            text += line_end;
            if (ch == channel_count - 1)
                text += std::string(line_end) + line_end;
        }
    }
    text += write_tail_lines(envelope, first_tail_byte, false, mc_percent);
    text += write_tail_lines(envelope, second_tail_byte, true, mc_percent);
    text += trailer_line({0, 0, envelope.minimum[trailer_byte], envelope.maximum[trailer_byte]});
    return text + line_end + line_end + line_end;
}

SideImage write_side_image(const std::string& sample_prefix, int highest_number, int mc_percent,
                           const std::string& folder, const std::vector<std::string>& names) {
    // Only numbers whose files exist are tried, so a stray high number costs no time.
    const std::vector<int> numbers =
        existing_sample_numbers(sample_prefix, names, 1, highest_number);
    Envelope envelope;
    reset_envelope(envelope);
    SideImage image;
    image.files_used = add_sample_files_to_envelope(envelope, folder, sample_prefix, numbers);
    image.text = side_image_text(sample_prefix, image.files_used, envelope, mc_percent);
    return image;
}
