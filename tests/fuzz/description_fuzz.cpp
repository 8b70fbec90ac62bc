// The readers of description files on any text: the table load of both stages and every page,
// the token readers of a made file, and the whole download plan (banknote counting and
// compression). What a load shows, saved and loaded again, shows the same; a made file that
// can be downloaded comes back from the device as the made file, within what the group code
// carries (check_carried) and but for the tail channels the device does not keep.
#include "database/description_file.h"
#include "database/download_plan.h"
#include "formats/made_file.h"
#include "sim/device_database.h"
#include "tests/fuzz/fuzz_input.h"

#include <algorithm>
#include <string>

namespace {

void check_tokens(std::string_view text, const std::vector<std::string>& tokens) {
    TokenReader reader{text};
    std::string_view token;
    std::size_t count = 0;
    int line = 1;
    while (next_token(reader, token)) {
        FUZZ_CHECK(!token.empty());
        FUZZ_CHECK(reader.line >= line);
        FUZZ_CHECK(reader.position <= text.size());
        line = reader.line;
        ++count;
    }
    FUZZ_CHECK(line <= 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n')));

    for (const std::string& each : tokens) {
        std::vector<std::uint8_t> bytes(bytes_per_line);
        const int words = decode_word_list(each, bytes.data());
        FUZZ_CHECK(words == -1 || (words >= 1 && words <= words_per_line));

        SideHeader header;
        if (parse_side_header(each, header) == 1) {
            FUZZ_CHECK(!header.name.empty() && header.name.size() <= 3);
            FUZZ_CHECK(header.extension.size() <= 3);
            FUZZ_CHECK(header.side >= 1 && header.side <= 4);
            FUZZ_CHECK(header.sample_count >= 0 && header.sample_count <= max_sample_count);
        }
        BanknoteToken banknote;
        if (parse_banknote_token(each, banknote))
            FUZZ_CHECK(banknote.side >= 1 && banknote.side <= 4);
    }
}

DbRows checked_rows(const std::string& text, LoadedColumns columns,
                    const std::vector<std::string>& names) {
    const DbRows rows = rows_from_description(text, columns, names);
    for (const std::string& row : rows) {
        FUZZ_CHECK(row.size() <= static_cast<std::size_t>(row_text_length));
        FUZZ_CHECK(is_printable(row));
    }
    return rows;
}

void check_table_load(const std::string& text, const std::vector<std::string>& tokens) {
    const DbRows shown = checked_rows(text, LoadedColumns::none, tokens);
    checked_rows(text, LoadedColumns::sample_counts, tokens);
    checked_rows(text, LoadedColumns::made_counts, tokens);
    const std::string saved = description_text(shown, 0);
    FUZZ_CHECK(checked_rows(saved, LoadedColumns::none, {}) == shown);
}

using PwordLines = std::vector<std::vector<std::uint8_t>>;

// The ".PWORD" lines of every side block of a text, in order, each as its 24 bytes (fewer
// words leave zeros).
std::vector<PwordLines> side_lines(std::string_view text) {
    std::vector<PwordLines> sides;
    TokenReader reader{text};
    std::string_view token;
    while (next_token(reader, token)) {
        if (token.starts_with(';'))
            sides.emplace_back();
        else if (token == ".PWORD" && !sides.empty() && next_token(reader, token)) {
            std::vector<std::uint8_t> bytes(bytes_per_line);
            decode_word_list(token, bytes.data());
            sides.back().push_back(bytes);
        }
    }
    return sides;
}

// Lines 0..126 of a side travel (the main part, the first tail, channels 0 and 1 of the
// second). Line 130 is the trailer, whose first four bytes travel unchanged.
constexpr std::size_t main_lines = 120;
constexpr std::size_t travelling_lines = 127;
constexpr std::size_t trailer_line = 130;

// The values coded as one group with byte `i` of `line`: in the main part the minima or the
// maxima of a 6-byte column over the six lines of a stretch, in the tails the whole line.
std::vector<int> group_of(const PwordLines& lines, std::size_t line, std::size_t i) {
    std::vector<int> group;
    if (line >= main_lines) {
        group.assign(lines[line].begin(), lines[line].end());
        return group;
    }
    const std::size_t first_line = line - line % 6;
    const std::size_t first_byte = i - i % 6 + i % 2;
    for (std::size_t l = first_line; l < first_line + 6; ++l)
        for (std::size_t b = first_byte; b < first_byte + 6; b += 2)
            group.push_back(lines[l][b]);
    return group;
}

// A value comes back as made or one below. A group spreading past 251 may lose up to 3 at its
// top (the widest distance carried is 252). A zero among maxima whose minima start at 1 comes
// back as 1: the base cannot reach one below its reference, and under 0 it would wrap to 255.
void check_carried(const PwordLines& made, const PwordLines& back, std::size_t line,
                   std::size_t i) {
    const std::vector<int> group = group_of(made, line, i);
    const auto [low, high] = std::minmax_element(group.begin(), group.end());
    const int made_value = made[line][i];
    const int back_value = back[line][i];
    const int lowest = made_value - (*high - *low > 251 ? 3 : 1);
    const bool maxima = line < main_lines && i % 2 == 1;
    const bool zero_lifted =
        maxima && made_value == 0 && std::ranges::min(group_of(made, line, i - 1)) == 1;
    FUZZ_CHECK(back_value >= lowest && back_value <= made_value + (zero_lifted ? 1 : 0));
}

void check_upload_round_trip(std::string_view text, const DownloadPlan& plan) {
    DeviceDatabase device;
    for (int block = 0; block < plan.block_count; ++block)
        FUZZ_CHECK(keep_download_frame(device, 5, block,
                                       plan.image_data.data() + block * image_block_size,
                                       image_block_size) == 1);
    FUZZ_CHECK(keep_download_frame(device, 4, 0, plan.first_names.data(),
                                   static_cast<int>(plan.first_names.size())) == 1);
    FUZZ_CHECK(keep_download_frame(device, 4, 1, plan.second_names.data(),
                                   static_cast<int>(plan.second_names.size())) == 1);

    const std::vector<PwordLines> made = side_lines(text);
    FUZZ_CHECK(stored_side_count(device) == static_cast<int>(made.size()));
    for (std::size_t side = 0; side < made.size(); ++side) {
        const UploadImageMessage message = encode_upload_image(device, static_cast<int>(side) + 1);
        const std::string back_text =
            ";X_1_1_1\r\n" + decode_side_image(message.data(), upload_image_data_size);
        const PwordLines back = side_lines(back_text).front();
        FUZZ_CHECK(made[side].size() == trailer_line + 1 && back.size() == trailer_line + 1);
        for (std::size_t line = 0; line < travelling_lines; ++line)
            for (std::size_t i = 0; i < bytes_per_line; ++i)
                check_carried(made[side], back, line, i);
        for (std::size_t i = 0; i < 4; ++i)
            FUZZ_CHECK(back[trailer_line][i] == made[side][trailer_line][i]);
    }
}

void check_download_plan(std::string_view text) {
    std::vector<BanknoteEntry> banknotes;
    int fault_line = 0;
    if (collect_banknotes(text, banknotes, fault_line) == 1) {
        for (const BanknoteEntry& banknote : banknotes)
            FUZZ_CHECK(banknote.side_count == 1 || banknote.side_count == 4);
    } else {
        FUZZ_CHECK(fault_line >= 1);
    }

    DownloadPlan plan;
    std::string error_text;
    if (plan_download(text, "FUZZ.dnl", "FUZZ", plan, error_text) == 1) {
        FUZZ_CHECK(plan.block_count >= 1 && plan.block_count <= max_image_blocks);
        FUZZ_CHECK(plan.image_data.size() ==
                   static_cast<std::size_t>(plan.block_count) * image_block_size);
        check_upload_round_trip(text, plan);
    } else {
        FUZZ_CHECK(!error_text.empty());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> tokens = split_tokens(text);
    check_tokens(text, tokens);
    is_made_file_text(text);
    check_table_load(text, tokens);
    check_download_plan(text);
    return 0;
}
