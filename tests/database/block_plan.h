// A download plan for link tests and timings: image blocks of varied bytes and the name table
// of one banknote with one side.
#pragma once

#include "database/download_plan.h"
#include "formats/display_alphabet.h"
#include "formats/name_table.h"

inline DownloadPlan block_plan(int blocks) {
    DownloadPlan plan;
    plan.block_count = blocks;
    plan.image_data.resize(static_cast<std::size_t>(blocks) * image_block_size);
    for (std::size_t i = 0; i < plan.image_data.size(); ++i)
        plan.image_data[i] = static_cast<std::uint8_t>(i * 7 + i / image_block_size);
    BanknoteEntry banknote;
    banknote.name = "A";
    banknote.nominal = 5;
    banknote.side_count = 1;
    build_name_frames({banknote}, {0, 2400}, db_name_code("PLAN"), plan.first_names,
                      plan.second_names);
    return plan;
}
