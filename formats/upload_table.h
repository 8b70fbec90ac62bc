// The name/nominal table the device sends first in an upload of its database (2666 bytes):
// 109 records of 21 bytes (name, four 12-bit image counts, nominal), 109 extensions of three
// characters, the MC percentage, the database name in seven-segment codes and the sum.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// An upload is kept as the database name + this.
inline constexpr const char* upl_extension = ".UPL";
inline constexpr std::size_t upload_table_message_size = 2666;
inline constexpr std::size_t upload_table_data_size = 2662;
inline constexpr int upload_rows = 109;
inline constexpr std::size_t upload_record_size = 21;
inline constexpr std::size_t upload_extensions_offset = 2289;
inline constexpr std::size_t upload_mc_percent_offset = 2649;
inline constexpr std::size_t upload_db_name_offset = 2650;

struct UploadTable {
    std::array<std::string, upload_rows> row_names; // "AB.X", "AB", "" for an empty row
    std::array<std::uint32_t, upload_rows> nominals{};
    std::array<std::array<int, 4>, upload_rows> image_counts{}; // per row, Side1..Side4
    int used_rows = 0;     // rows with a name; rows 1..used_rows are uploaded
    int mc_percent = 0;    // the "COR=" value
    std::string file_name; // the database name's characters + ".UPL"
};

// Whether the last four bytes of a message of `data_length` + 4 bytes hold the little-endian
// sum of its first `data_length` bytes.
bool upload_sum_matches(const std::uint8_t* message, std::size_t data_length);

// The four image counts of a record (bytes 3..8). The top bit of byte 5 is not part of the
// Side2 count.
std::array<int, 4> record_image_counts(const std::uint8_t* record);

// Reads a table message of `length` bytes (the sum is not checked here). Returns 1, or 0 when
// the length is not 2666.
int read_upload_table(const std::uint8_t* message, std::size_t length, UploadTable& table);
