// The sample files of a full database for the benchmarks: banknotes N10, N11, ... of nominal
// 100, each with `files_per_side` generated samples of all four sides, and the table rows that
// name them.
#pragma once

#include "database/description_file.h"
#include "files/folder_files.h"
#include "formats/sample_names.h"
#include "sim/sample_generator.h"

#include <fstream>
#include <string>

inline RowFields full_database_banknote(int index) {
    const std::string number = std::to_string(10 + index);
    return {"N" + number, "", "100"};
}

// The sample files of every side of every banknote, and the table that names them.
inline DbRows write_full_database_samples(const std::string& folder, int banknotes,
                                          int files_per_side) {
    DbRows rows;
    for (int r = 0; r < db_row_count; ++r)
        rows[static_cast<std::size_t>(r)] = blank_row_text(r);
    for (int b = 0; b < banknotes; ++b) {
        const RowFields fields = full_database_banknote(b);
        std::string& row = rows[static_cast<std::size_t>(b)];
        row = put_row_field(row, RowField::name, fields.name);
        row = put_row_field(row, RowField::nominal, fields.nominal);
        for (int side = 1; side <= side_count; ++side) {
            for (int n = 1; n <= files_per_side; ++n) {
                const SampleBuffer sample = generate_sample(
                    static_cast<std::uint32_t>(4 * b + side), static_cast<std::uint32_t>(n));
                std::ofstream file(
                    path_in(folder, sample_file_name(sample_prefix_for(fields, side), n)),
                    std::ios::binary);
                file.write(reinterpret_cast<const char*>(sample.data()),
                           static_cast<std::streamsize>(sample.size()));
            }
        }
    }
    return rows;
}
