// The frames of the upgrade exchange and the reading of the controller's replies. The switch
// command is the ordinary short command frame; connect, write memory and test memory begin
// with AA AA AA 55. Pure functions: the simulated device parses the same layout.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

inline constexpr int switch_to_upgrade_code = 16;

inline constexpr std::array<std::uint8_t, 4> upgrade_frame_header = {0xAA, 0xAA, 0xAA, 0x55};
inline constexpr std::size_t connect_frame_size = 16;
inline constexpr std::size_t test_memory_frame_size = 28;
// Kind and code bytes at offsets 4 and 5.
inline constexpr std::uint8_t connect_kind = 0x50, connect_code = 0x08;
inline constexpr std::uint8_t write_memory_kind = 0x30, write_memory_code = 0x40;
inline constexpr std::uint8_t test_memory_kind = 0x50, test_memory_code = 0x40;

// Write memory: 20 header bytes, n blocks of data, two 32-bit sums.
inline constexpr std::size_t write_memory_header_size = 20;
inline constexpr std::size_t write_memory_overhead = 28;
inline constexpr int max_blocks_per_write = 8;
inline constexpr std::size_t bytes_per_chunk = 1536; // the chunk number addresses these
// Test memory: the fixed request bytes at offsets 12..23.
inline constexpr std::array<std::uint8_t, 12> test_memory_request = {0, 0, 0, 4, 0, 0,
                                                                     0, 0, 4, 0, 0, 0};

std::array<std::uint8_t, connect_frame_size> connect_frame();

// `data` holds blocks * 192 bytes of the packed image starting at block `first_block`;
// `blocks` is 1..8.
std::vector<std::uint8_t> write_memory_frame(int first_block, const std::uint8_t* data, int blocks,
                                             std::uint32_t arbitrary_value);

std::array<std::uint8_t, test_memory_frame_size> test_memory_frame(std::uint32_t arbitrary_value);

// What a frame of the upgrade exchange is, for a traffic log: "command 16 switch to upgrade",
// "connect", "write memory chunk 1, 8 blocks", "test memory"; other frames as the control
// program's frames are named; "" when too short to tell.
std::string upgrade_frame_note(const std::uint8_t* frame, std::size_t size);

// Reads one byte within the given milliseconds: 0..255, or -1 after the time-out.
using ByteReader = std::function<int(int ms)>;

// How long each frame's reply is awaited, and whether bytes between 0xAA and 0x55 are skipped.
struct ReplyWait {
    int start_reads;
    int start_read_ms;
    bool skip_to_second_byte;
};
inline constexpr ReplyWait switch_reply_wait{100, 10, false};
inline constexpr ReplyWait connect_reply_wait{10, 100, true};
inline constexpr ReplyWait write_memory_reply_wait{50, 100, true};
inline constexpr ReplyWait test_memory_reply_wait{50, 200, true};

// Reads AA .. 55 CODE and returns CODE, or -1 when the reply is missing or broken.
int read_reply_code(const ByteReader& read, const ReplyWait& wait);

// Reads the reply of test memory: its code, followed for codes 0 and 1 by the controller's
// four checksum bytes (-1 when one of them does not come).
int read_test_memory_reply(const ByteReader& read, std::array<std::uint8_t, 4>& checksum);
