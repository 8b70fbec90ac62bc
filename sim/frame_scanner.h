// Splits the byte stream the simulated device receives into frames. Both programs send frames
// whose total length is 16 + the 16-bit length field at offset 6: the control program's begin
// with AA 55 AA 55, the upgrade tool's with AA AA AA 55.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class HeaderKind { control, upgrade };

inline constexpr std::size_t frame_header_bytes = 4;
inline constexpr std::size_t frame_length_offset = 6;
// The largest payload the device's receive buffer takes; a longer frame is refused unread.
inline constexpr std::size_t max_frame_payload = 4096;

struct ScannedFrame {
    HeaderKind kind = HeaderKind::control;
    // The whole frame, header to checksum; for an oversized frame only its first 8 bytes.
    std::vector<std::uint8_t> bytes;
    bool oversized = false;
};

// Bytes received but not yet part of a complete frame.
struct FrameScanner {
    std::vector<std::uint8_t> pending;
};

// Adds received bytes and returns the frames they complete, in order. Bytes before a header
// are skipped; an oversized frame is reported by its header and the scan resumes after it.
std::vector<ScannedFrame> scan_bytes(FrameScanner& scanner, const std::uint8_t* bytes,
                                     std::size_t count);

// Forgets a frame that stopped arriving (the line went silent in the middle of it).
void drop_incomplete_frame(FrameScanner& scanner);

bool has_incomplete_frame(const FrameScanner& scanner);

// Field accessors of a complete frame (both kinds share the layout of offsets 4..11).
int frame_kind_field(const ScannedFrame& frame);
int frame_code(const ScannedFrame& frame);
std::size_t frame_payload_length(const ScannedFrame& frame);
int frame_block(const ScannedFrame& frame);
const std::uint8_t* frame_payload(const ScannedFrame& frame);
// The 32-bit sum of bytes 4 .. 11 + n equals the stored checksum at 12 + n.
bool frame_sum_matches(const ScannedFrame& frame);
