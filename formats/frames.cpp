#include "formats/frames.h"

std::uint32_t byte_sum(const std::uint8_t* bytes, std::size_t count) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += bytes[i];
    return sum;
}

void put_u16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put_u32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint16_t get_u16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

std::uint32_t get_u32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

void fill_data_frame(int code, std::uint16_t length, std::uint16_t block, std::uint8_t* frame) {
    frame[0] = 0xAA;
    frame[1] = 0x55;
    frame[2] = 0xAA;
    frame[3] = 0x55;
    frame[4] = frame_kind_byte;
    frame[5] = static_cast<std::uint8_t>(code);
    put_u16(frame + 6, length);
    put_u16(frame + 8, block);
    frame[10] = 0;
    frame[11] = 0;
    put_u32(frame + frame_header_size + length, byte_sum(frame + 4, 8u + length));
}

std::array<std::uint8_t, command_frame_size> command_frame(int code) {
    std::array<std::uint8_t, command_frame_size> frame{};
    fill_data_frame(code, 0, 0, frame.data());
    return frame;
}
