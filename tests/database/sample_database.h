// The database the transfer tests make: "EURO.dnl" in its description stage with USD.OLD 100
// (samples of all four sides) and A 5 (samples of Side1), and the sample files it is made of.
#pragma once

#include "database/description_file.h"
#include "files/folder_files.h"
#include "formats/made_file.h"
#include "formats/sample_names.h"
#include "sim/sample_generator.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

inline const std::vector<std::string> sample_database_headers = {
    ";USD.OLD_100_1_3", ";USD.OLD_100_2_3", ";USD.OLD_100_3_3", ";USD.OLD_100_4_3", ";A_5_1_4"};

inline void write_test_file(const std::string& path, const void* bytes, std::size_t size) {
    std::ofstream file(path, std::ios::binary);
    file.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
}

inline void store_test_samples(const std::string& folder, const RowFields& fields, int side,
                               int count) {
    for (int n = 1; n <= count; ++n) {
        const SampleBuffer sample =
            generate_sample(static_cast<std::uint32_t>(10 * side + fields.name.size()),
                            static_cast<std::uint32_t>(n));
        write_test_file(path_in(folder, sample_file_name(sample_prefix_for(fields, side), n)),
                        sample.data(), sample.size());
    }
}

inline void write_sample_database(const std::string& folder) {
    const RowFields usd{"USD", "OLD", "100"};
    const RowFields note_a{"A", "", "5"};
    DbRows rows;
    for (int r = 0; r < db_row_count; ++r)
        rows[static_cast<std::size_t>(r)] = blank_row_text(r);
    int index = 0;
    for (const RowFields& fields : {usd, note_a}) {
        std::string& row = rows[static_cast<std::size_t>(index++)];
        row = put_row_field(row, RowField::name, fields.name);
        row = put_row_field(row, RowField::ext, fields.ext);
        row = put_row_field(row, RowField::nominal, fields.nominal);
    }
    const std::string text = description_text(rows, 0);
    write_test_file(path_in(folder, "EURO.dnl"), text.data(), text.size());
    for (int side = 1; side <= 4; ++side)
        store_test_samples(folder, usd, side, 3);
    store_test_samples(folder, note_a, 1, 4);
}

// The side header tokens of a made or ".UPL" text, in order.
inline std::vector<std::string> header_tokens(const std::string& text) {
    std::vector<std::string> headers;
    for (const std::string& token : split_tokens(text)) {
        if (token.starts_with(';'))
            headers.push_back(token);
    }
    return headers;
}

inline std::string read_test_text(const std::string& path) {
    std::string text;
    read_text_file(path, text);
    return text;
}
