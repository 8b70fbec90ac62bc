// Upload messages for tests, built field by field as a device lays them out.
#pragma once

#include "formats/name_table.h"
#include "sim/device_database.h"

#include <array>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

struct TableRow {
    std::string name;      // three characters
    std::string extension; // three characters
    std::array<int, 4> counts;
    std::uint32_t nominal;
};

template <std::size_t size> void put_test_sum(std::array<std::uint8_t, size>& message) {
    const std::uint32_t sum = std::accumulate(message.begin(), message.end() - 4, 0u);
    for (int i = 0; i < 4; ++i)
        message[size - 4 + i] = static_cast<std::uint8_t>(sum >> (8 * i));
}

// Rows from row 1 on, the other rows blank; name codes dark; the sum set.
inline UploadTableMessage table_message(const std::vector<TableRow>& rows) {
    UploadTableMessage message{};
    for (int r = 0; r < 109; ++r) {
        BanknoteEntry entry;
        std::string extension = "   ";
        if (r < static_cast<int>(rows.size())) {
            entry.name = rows[r].name;
            entry.sample_counts = rows[r].counts;
            entry.nominal = rows[r].nominal;
            extension = rows[r].extension;
        }
        const NameRecord record = name_record(entry);
        std::copy(record.begin(), record.end(), message.begin() + 21 * r);
        std::copy(extension.begin(), extension.end(), message.begin() + 2289 + 3 * r);
    }
    std::fill(message.begin() + 2650, message.begin() + 2662, 0xFF);
    put_test_sum(message);
    return message;
}

inline UploadTableMessage with_sum(UploadTableMessage message) {
    put_test_sum(message);
    return message;
}
