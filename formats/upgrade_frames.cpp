#include "formats/upgrade_frames.h"

#include "formats/frames.h"
#include "formats/traffic_log_format.h"
#include "formats/upgrade_image.h"

#include <algorithm>

namespace {

constexpr int reply_byte_ms = 10;

void put_upgrade_header(std::uint8_t* frame, std::uint8_t kind, std::uint8_t code,
                        std::uint16_t length) {
    std::copy(upgrade_frame_header.begin(), upgrade_frame_header.end(), frame);
    frame[4] = kind;
    frame[5] = code;
    put_u16(frame + 6, length);
}

} // namespace

std::array<std::uint8_t, connect_frame_size> connect_frame() {
    std::array<std::uint8_t, connect_frame_size> frame{};
    put_upgrade_header(frame.data(), connect_kind, connect_code, 0);
    put_u32(frame.data() + 12, byte_sum(frame.data() + 4, 8));
    return frame;
}

std::vector<std::uint8_t> write_memory_frame(int first_block, const std::uint8_t* data, int blocks,
                                             std::uint32_t arbitrary_value) {
    const std::size_t data_length = static_cast<std::size_t>(blocks) * upgrade_block_size;
    std::vector<std::uint8_t> frame(write_memory_overhead + data_length);
    std::uint8_t* at = frame.data();
    put_upgrade_header(at, write_memory_kind, write_memory_code,
                       static_cast<std::uint16_t>(data_length + 12));
    put_u32(at + 8, arbitrary_value);
    const std::uint64_t first_address =
        static_cast<std::uint64_t>(first_block) * upgrade_block_size;
    put_u32(at + 12, static_cast<std::uint32_t>(first_address / bytes_per_chunk));
    put_u16(at + 16, static_cast<std::uint16_t>(blocks));
    put_u16(at + 18, static_cast<std::uint16_t>(data_length));
    std::copy(data, data + data_length, at + write_memory_header_size);
    const std::size_t sums_at = write_memory_header_size + data_length;
    put_u32(at + sums_at, byte_sum(at + 12, sums_at - 12));
    put_u32(at + sums_at + 4, byte_sum(at + 4, sums_at));
    return frame;
}

std::array<std::uint8_t, test_memory_frame_size> test_memory_frame(std::uint32_t arbitrary_value) {
    std::array<std::uint8_t, test_memory_frame_size> frame{};
    put_upgrade_header(frame.data(), test_memory_kind, test_memory_code, 12);
    put_u32(frame.data() + 8, arbitrary_value);
    std::copy(test_memory_request.begin(), test_memory_request.end(), frame.data() + 12);
    put_u32(frame.data() + 24, byte_sum(frame.data() + 4, 20));
    return frame;
}

std::string upgrade_frame_note(const std::uint8_t* frame, std::size_t size) {
    if (size < connect_frame_size ||
        !std::equal(upgrade_frame_header.begin(), upgrade_frame_header.end(), frame)) {
        if (size >= command_frame_size && frame[5] == switch_to_upgrade_code)
            return "command 16 switch to upgrade";
        return command_frame_note(frame, size);
    }
    if (frame[4] == connect_kind && frame[5] == connect_code)
        return "connect";
    if (frame[4] == test_memory_kind && frame[5] == test_memory_code)
        return "test memory";
    if (frame[4] == write_memory_kind && frame[5] == write_memory_code &&
        size >= write_memory_header_size)
        return "write memory chunk " + std::to_string(get_u32(frame + 12)) + ", " +
               std::to_string(get_u16(frame + 16)) + " blocks";
    return "upgrade frame";
}

int read_reply_code(const ByteReader& read, const ReplyWait& wait) {
    bool found_start = false;
    for (int tries = 0; tries < wait.start_reads && !found_start; ++tries)
        found_start = read(wait.start_read_ms) == 0xAA;
    if (!found_start)
        return -1;
    int byte = read(reply_byte_ms);
    while (wait.skip_to_second_byte && byte >= 0 && byte != 0x55)
        byte = read(reply_byte_ms);
    if (byte != 0x55)
        return -1;
    return read(reply_byte_ms);
}

int read_test_memory_reply(const ByteReader& read, std::array<std::uint8_t, 4>& checksum) {
    const int code = read_reply_code(read, test_memory_reply_wait);
    if (code != 0 && code != 1)
        return code;
    for (auto& byte : checksum) {
        const int value = read(reply_byte_ms);
        if (value < 0)
            return -1;
        byte = static_cast<std::uint8_t>(value);
    }
    return code;
}
