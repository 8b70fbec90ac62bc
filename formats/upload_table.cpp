#include "formats/upload_table.h"

#include "formats/display_alphabet.h"

#include <numeric>

namespace {

// Three characters without their trailing blanks.
std::string trimmed_3(const std::uint8_t* bytes) {
    std::size_t length = 3;
    while (length > 0 && bytes[length - 1] == ' ')
        --length;
    return std::string(reinterpret_cast<const char*>(bytes), length);
}

} // namespace

bool upload_sum_matches(const std::uint8_t* message, std::size_t data_length) {
    const std::uint32_t sum = std::accumulate(message, message + data_length, std::uint32_t{0});
    const std::uint8_t* stored = message + data_length;
    const std::uint32_t expected =
        stored[0] | stored[1] << 8 | stored[2] << 16 | static_cast<std::uint32_t>(stored[3]) << 24;
    return sum == expected;
}

std::array<int, 4> record_image_counts(const std::uint8_t* record) {
    const std::uint8_t* c = record + 3;
    return {c[0] + (c[1] & 0x0F) * 256, (c[1] >> 4) + (c[2] & 0x7F) * 16,
            c[3] + (c[4] & 0x0F) * 256, (c[4] >> 4) + c[5] * 16};
}

int read_upload_table(const std::uint8_t* message, std::size_t length, UploadTable& table) {
    if (length != upload_table_message_size)
        return 0;
    table.used_rows = 0;
    for (int row = 0; row < upload_rows; ++row) {
        const std::uint8_t* record = message + row * upload_record_size;
        const std::uint8_t* extension = message + upload_extensions_offset + 3 * row;
        std::string name = trimmed_3(record);
        if (extension[0] != ' ')
            name += "." + trimmed_3(extension);
        if (!name.empty())
            ++table.used_rows;
        table.row_names[row] = name;
        table.nominals[row] = record[18] | record[19] << 8 | (record[20] & 0x0F) << 16;
        table.image_counts[row] = record_image_counts(record);
    }
    table.mc_percent = message[upload_mc_percent_offset];
    table.file_name.clear();
    for (std::size_t i = 0; i < display_name_length; ++i)
        if (const char c = seven_segment_character(message[upload_db_name_offset + i]))
            table.file_name += c;
    table.file_name += upl_extension;
    return 1;
}
