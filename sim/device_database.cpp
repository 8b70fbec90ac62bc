#include "sim/device_database.h"

#include "formats/frames.h"
#include "formats/image_compression.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr int block_table_offset = 1116;
constexpr int extension_table_size = 3 * max_banknotes;
constexpr int extension_table_offset = records_in_first_frame * name_record_size;
constexpr int db_name_code_offset = 1484;

// The end of side `t` in the image data, from its block table entry (2/3 of the offset).
std::size_t side_end(const DeviceDatabase& database, int t) {
    const std::uint8_t* entry = database.first_names.data() + block_table_offset + 3 * t;
    const std::size_t words_times_2 = entry[0] | entry[1] << 8 | entry[2] << 16;
    return words_times_2 / 2 * 3;
}

template <std::size_t size> void put_sum(std::array<std::uint8_t, size>& message) {
    const std::uint32_t sum = std::accumulate(message.begin(), message.end() - 4, std::uint32_t{0});
    for (int i = 0; i < 4; ++i)
        message[size - 4 + i] = static_cast<std::uint8_t>(sum >> (8 * i));
}

} // namespace

int keep_download_frame(DeviceDatabase& database, int code, int block, const std::uint8_t* payload,
                        int length) {
    if (code == command_image_block && length == image_block_size && block >= 0 && block < max_image_blocks) {
        const std::size_t at = static_cast<std::size_t>(block) * image_block_size;
        if (database.image_data.size() < at + image_block_size)
            database.image_data.resize(at + image_block_size);
        std::copy(payload, payload + length, database.image_data.begin() + at);
        return 1;
    }
    if (code == command_name_table && length == first_name_frame_size) {
        std::copy(payload, payload + length, database.first_names.begin());
        return 1;
    }
    if (code == command_name_table && length == second_name_frame_size) {
        std::copy(payload, payload + length, database.second_names.begin());
        return 1;
    }
    return 0;
}

int stored_side_count(const DeviceDatabase& database) {
    int sides = 0;
    while (sides < max_sides && side_end(database, sides + 1) > side_end(database, sides))
        ++sides;
    return sides;
}

UploadTableMessage encode_upload_table(const DeviceDatabase& database) {
    UploadTableMessage message{};
    const auto& first = database.first_names;
    const auto& second = database.second_names;
    auto at = std::copy_n(first.begin(), extension_table_offset, message.begin());
    at = std::copy_n(second.begin(), (max_banknotes - records_in_first_frame) * name_record_size,
                     at);
    std::copy_n(first.begin() + extension_table_offset, extension_table_size, at);
    message[upload_mc_percent_offset] = static_cast<std::uint8_t>(database.mc_percent);
    std::copy_n(first.begin() + db_name_code_offset, display_name_length,
                message.begin() + upload_db_name_offset);
    put_sum(message);
    return message;
}

UploadImageMessage encode_upload_image(const DeviceDatabase& database, int side) {
    UploadImageMessage message{};
    if (side < 1 || side > max_sides) {
        put_sum(message);
        return message;
    }
    const std::size_t begin = std::min(side_end(database, side - 1), database.image_data.size());
    const std::size_t end = std::min(
        {side_end(database, side), database.image_data.size(), begin + upload_image_data_size});
    if (end > begin)
        std::copy(database.image_data.begin() + begin, database.image_data.begin() + end,
                  message.begin());
    put_sum(message);
    return message;
}
