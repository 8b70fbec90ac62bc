// Compares what a device received in a download with the plan of the made file, and a made
// description file with the ".UPL" file of the same database uploaded back
// from a device, value by value. The group code halves the distances of wide groups, so an
// uploaded value is the made one or one below; of the second tail only channels 0 and 1
// travel, and the upload writes fixed lines for the rest.
#pragma once

#include "database/download_plan.h"
#include "formats/made_file.h"
#include "sim/frame_record.h"

#include <cstdint>
#include <string>
#include <vector>

struct TextSide {
    std::string header;                           // ";USD.OLD_100_1_12"
    std::vector<std::vector<std::uint8_t>> lines; // the bytes of every ".PWORD" line
};

// The sides of a made or ".UPL" text after its "COR=" token; `cor` receives that token.
inline std::vector<TextSide> read_text_sides(const std::string& text, std::string& cor) {
    std::vector<TextSide> sides;
    TokenReader reader{text};
    std::string_view token;
    if (next_token(reader, token))
        cor = std::string(token);
    while (next_token(reader, token)) {
        if (token.starts_with(';')) {
            sides.push_back({std::string(token), {}});
            continue;
        }
        if (sides.empty() || token != ".PWORD" || !next_token(reader, token))
            return {};
        std::vector<std::uint8_t> bytes(bytes_per_line);
        const int words = decode_word_list(token, bytes.data());
        if (words < 0)
            return {};
        bytes.resize(static_cast<std::size_t>(words * bytes_per_word));
        sides.back().lines.push_back(bytes);
    }
    return sides;
}

inline constexpr std::size_t lines_per_side = 131;
inline constexpr std::size_t second_tail_line = 125; // channel 0 of positions 300..311
inline constexpr std::size_t trailer_line_index = 130;

// Every way in which `uploaded` fails to agree with `made`; empty when they agree.
inline std::vector<std::string> upload_differences(const std::string& made,
                                                   const std::string& uploaded) {
    std::vector<std::string> faults;
    std::string made_cor, uploaded_cor;
    const std::vector<TextSide> made_sides = read_text_sides(made, made_cor);
    const std::vector<TextSide> uploaded_sides = read_text_sides(uploaded, uploaded_cor);
    if (made_sides.empty() || uploaded_sides.size() != made_sides.size())
        return {"sides: made " + std::to_string(made_sides.size()) + ", uploaded " +
                std::to_string(uploaded_sides.size())};
    if (!uploaded_cor.starts_with("COR="))
        faults.push_back("first token " + uploaded_cor);
    for (std::size_t s = 0; s < made_sides.size(); ++s) {
        const TextSide& m = made_sides[s];
        const TextSide& u = uploaded_sides[s];
        if (u.header != m.header)
            faults.push_back("header " + u.header + " for " + m.header);
        if (m.lines.size() != lines_per_side || u.lines.size() != lines_per_side) {
            faults.push_back(m.header + ": not 131 lines");
            continue;
        }
        // Main part, first tail, and channels 0 and 1 of the second tail.
        for (std::size_t line = 0; line <= second_tail_line + 1; ++line) {
            if (u.lines[line].size() != m.lines[line].size()) {
                faults.push_back(m.header + " line " + std::to_string(line) + ": length");
                continue;
            }
            for (std::size_t i = 0; i < m.lines[line].size(); ++i) {
                const int difference = m.lines[line][i] - u.lines[line][i];
                if (difference < 0 || difference > 1)
                    faults.push_back(m.header + " line " + std::to_string(line) + " byte " +
                                     std::to_string(i) + ": made " +
                                     std::to_string(m.lines[line][i]) + ", uploaded " +
                                     std::to_string(u.lines[line][i]));
            }
        }
        if (u.lines[trailer_line_index] != m.lines[trailer_line_index])
            faults.push_back(m.header + ": trailer differs");
    }
    return faults;
}

// Every way in which the image blocks (code 5, numbered in order) and the two name-table
// frames (code 4) among `frames` differ from `plan`; empty when the device got the plan.
inline std::vector<std::string> device_copy_differences(const std::vector<RecordedFrame>& frames,
                                                        const DownloadPlan& plan) {
    std::vector<std::string> faults;
    std::vector<std::uint8_t> blocks;
    std::vector<std::vector<std::uint8_t>> names;
    for (const RecordedFrame& frame : frames) {
        if (frame.code == 5) {
            if (frame.block != static_cast<int>(blocks.size() / image_block_size))
                faults.push_back("block " + std::to_string(frame.block) + " out of order");
            blocks.insert(blocks.end(), frame.payload.begin(), frame.payload.end());
        } else if (frame.code == 4) {
            names.push_back(frame.payload);
        }
    }
    if (blocks != plan.image_data)
        faults.push_back("the image blocks differ");
    const std::vector<std::vector<std::uint8_t>> planned_names = {
        {plan.first_names.begin(), plan.first_names.end()},
        {plan.second_names.begin(), plan.second_names.end()}};
    if (names != planned_names)
        faults.push_back("the name-table frames differ");
    return faults;
}
