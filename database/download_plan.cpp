#include "database/download_plan.h"

#include "formats/display_alphabet.h"
#include "formats/image_compression.h"
#include "formats/made_file.h"

namespace {

bool has_whole_sides(const BanknoteEntry& banknote) {
    return banknote.side_count == 1 || banknote.side_count == 4;
}

} // namespace

std::string side_too_big_text(int side, std::uint32_t size) {
    return "Size of one side is too big:" + std::to_string(side) + "," + std::to_string(size);
}

std::string wrong_made_file_text(std::string_view file_name, int line) {
    return "Wrong format of " + std::string(file_name) + ", see line " + std::to_string(line);
}

std::string display_db_name_of_file(std::string_view file_name) {
    if (file_name.ends_with(description_extension))
        file_name.remove_suffix(std::string_view(description_extension).size());
    return display_db_name_text(file_name);
}

int image_block_count(std::uint32_t data_end) {
    return static_cast<int>(data_end / image_block_size) + 1;
}

int collect_banknotes(std::string_view made_text, std::vector<BanknoteEntry>& banknotes,
                      int& fault_line) {
    banknotes.clear();
    TokenReader reader{made_text};
    std::string_view token;
    SideHeader header;
    while (next_token(reader, token)) {
        if (!token.starts_with(';'))
            continue;
        const bool parsed = parse_side_header(token, header) == 1;
        const bool starts_banknote = parsed && header.side == 1;
        const bool valid = starts_banknote ? banknotes.empty() || has_whole_sides(banknotes.back())
                                           : parsed && !banknotes.empty() &&
                                                 header.side == banknotes.back().side_count + 1;
        if (!valid) {
            fault_line = reader.line;
            return 0;
        }
        if (starts_banknote)
            banknotes.push_back({header.name, header.extension, header.nominal});
        BanknoteEntry& banknote = banknotes.back();
        banknote.side_count = header.side;
        banknote.sample_counts[header.side - 1] = header.sample_count;
    }
    if (!banknotes.empty() && !has_whole_sides(banknotes.back())) {
        fault_line = reader.line;
        return 0;
    }
    return 1;
}

int plan_download(std::string_view made_text, std::string_view file_name,
                  std::string_view display_db_name, DownloadPlan& plan, std::string& error_text) {
    std::vector<BanknoteEntry> banknotes;
    int fault_line = 0;
    if (!collect_banknotes(made_text, banknotes, fault_line)) {
        error_text = wrong_made_file_text(file_name, fault_line);
        return 0;
    }
    int sides = 0;
    for (const BanknoteEntry& banknote : banknotes)
        sides += banknote.side_count;
    if (banknotes.size() > static_cast<std::size_t>(max_banknotes)) {
        error_text = too_many_names_text;
        return 0;
    }
    if (sides > max_sides) {
        error_text = too_many_sides_text;
        return 0;
    }

    CompressedImages images;
    CompressionFault fault;
    const int compressed = compress_made_file(made_text, images, fault);
    if (compressed == compression_wrong_format) {
        error_text = wrong_made_file_text(file_name, fault.line);
        return 0;
    }
    if (compressed == compression_side_too_big) {
        error_text = side_too_big_text(fault.side, fault.size);
        return 0;
    }
    const int block_count = image_block_count(images.side_ends.back());
    if (block_count > max_image_blocks) {
        error_text = too_many_blocks_text;
        return 0;
    }

    // Both readings of the file agree on the sides: each header starts exactly one side.
    int side = 1;
    for (BanknoteEntry& banknote : banknotes)
        for (int s = 0; s < banknote.side_count; ++s, ++side)
            banknote.main_part_words[s] =
                static_cast<int>((images.main_ends[side] - images.side_ends[side - 1]) / 3);

    plan.block_count = block_count;
    plan.image_data.assign(images.data.begin(),
                           images.data.begin() + block_count * image_block_size);
    build_name_frames(banknotes, images.side_ends, db_name_code(display_db_name), plan.first_names,
                      plan.second_names);
    return 1;
}
