// The frames the programs send to the device and the acknowledgement it answers with.
// Pure functions over buffers: the simulated device and the tests use them as they are.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t frame_header_size = 12;
inline constexpr std::size_t frame_overhead = 16; // header + 32-bit checksum
inline constexpr std::size_t command_frame_size = 16;
inline constexpr std::uint8_t frame_kind_byte = 0x50;

// Command codes of the control program.
enum CommandCode : int {
    command_start_sampling = 1,
    command_stop_sampling = 2,
    command_request_upload = 3,
    command_name_table = 4,
    command_image_block = 5,
    command_continue_upload = 6,
    command_open_download = 7,
    command_end_transfer = 8,
    command_mode = 9,
    command_sample_acknowledge = 11,
    command_connect = 12,
    command_disconnect = 13,
};

// Mode pages, the numbers the device is told with command 9.
enum ModePage : int {
    page_analysis = 1,
    page_session_results = 2,
    page_sampling = 3,
    page_collect = 4,
};

// Unsigned 32-bit wrapping sum of `count` bytes.
std::uint32_t byte_sum(const std::uint8_t* bytes, std::size_t count);

// Fills offsets 0..11 of a data frame and the checksum at 12 + length; the payload must
// already stand at offset 12. `frame` holds at least length + 16 bytes.
void fill_data_frame(int code, std::uint16_t length, std::uint16_t block, std::uint8_t* frame);

// The 16-byte short command frame of `code`.
std::array<std::uint8_t, command_frame_size> command_frame(int code);

// Little-endian stores and loads used by every frame and message layout.
void put_u16(std::uint8_t* at, std::uint16_t value);
void put_u32(std::uint8_t* at, std::uint32_t value);
std::uint16_t get_u16(const std::uint8_t* at);
std::uint32_t get_u32(const std::uint8_t* at);
