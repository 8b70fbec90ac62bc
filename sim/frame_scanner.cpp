#include "sim/frame_scanner.h"

#include "formats/frames.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<std::uint8_t, frame_header_bytes> control_header = {0xAA, 0x55, 0xAA, 0x55};
constexpr std::array<std::uint8_t, frame_header_bytes> upgrade_header = {0xAA, 0xAA, 0xAA, 0x55};
// Enough of a frame to read its length field.
constexpr std::size_t length_known_bytes = frame_length_offset + 2;

bool header_at(const std::vector<std::uint8_t>& bytes, std::size_t at,
               const std::array<std::uint8_t, frame_header_bytes>& header) {
    return std::equal(header.begin(), header.end(), bytes.begin() + static_cast<long>(at));
}

// Position of the first byte that may start a header: a full header, or a tail of the
// buffer that is the beginning of one.
std::size_t header_start(const std::vector<std::uint8_t>& bytes, HeaderKind& kind) {
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const std::size_t available = std::min(frame_header_bytes, bytes.size() - at);
        for (const auto* header : {&control_header, &upgrade_header}) {
            if (!std::equal(bytes.begin() + static_cast<long>(at),
                            bytes.begin() + static_cast<long>(at + available), header->begin()))
                continue;
            // AA AA AA 55 AA 55 is two stray bytes before a control header: an upgrade frame
            // never has AA at offset 4.
            if (header == &upgrade_header && bytes.size() >= at + 2 + frame_header_bytes &&
                header_at(bytes, at + 2, control_header))
                continue;
            kind = header == &control_header ? HeaderKind::control : HeaderKind::upgrade;
            return at;
        }
    }
    return bytes.size();
}

} // namespace

std::vector<ScannedFrame> scan_bytes(FrameScanner& scanner, const std::uint8_t* bytes,
                                     std::size_t count) {
    auto& pending = scanner.pending;
    pending.insert(pending.end(), bytes, bytes + count);
    std::vector<ScannedFrame> frames;
    for (;;) {
        HeaderKind kind = HeaderKind::control;
        const std::size_t start = header_start(pending, kind);
        pending.erase(pending.begin(), pending.begin() + static_cast<long>(start));
        if (pending.size() < length_known_bytes) // also a header still arriving
            return frames;
        const std::size_t payload = get_u16(pending.data() + frame_length_offset);
        if (payload > max_frame_payload) {
            frames.push_back({kind, {pending.begin(), pending.begin() + length_known_bytes}, true});
            pending.erase(pending.begin(), pending.begin() + frame_header_bytes);
            continue;
        }
        const std::size_t total = payload + frame_overhead;
        if (pending.size() < total)
            return frames;
        frames.push_back(
            {kind, {pending.begin(), pending.begin() + static_cast<long>(total)}, false});
        pending.erase(pending.begin(), pending.begin() + static_cast<long>(total));
    }
}

void drop_incomplete_frame(FrameScanner& scanner) {
    scanner.pending.clear();
}

bool has_incomplete_frame(const FrameScanner& scanner) {
    return !scanner.pending.empty();
}

int frame_kind_field(const ScannedFrame& frame) {
    return frame.bytes[4];
}

int frame_code(const ScannedFrame& frame) {
    return frame.bytes.size() > 5 ? frame.bytes[5] : -1;
}

std::size_t frame_payload_length(const ScannedFrame& frame) {
    return get_u16(frame.bytes.data() + frame_length_offset);
}

int frame_block(const ScannedFrame& frame) {
    return frame.oversized ? 0 : get_u16(frame.bytes.data() + 8);
}

const std::uint8_t* frame_payload(const ScannedFrame& frame) {
    return frame.bytes.data() + frame_header_size;
}

bool frame_sum_matches(const ScannedFrame& frame) {
    if (frame.oversized)
        return false;
    const std::size_t length = frame_payload_length(frame);
    return byte_sum(frame.bytes.data() + 4, 8 + length) ==
           get_u32(frame.bytes.data() + frame_header_size + length);
}
