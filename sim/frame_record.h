// The record the simulated device keeps of every frame it receives: one text line per frame,
//   time=<ms> kind=<control|upgrade> code=<c> block=<b> length=<n> check=<result> payload=<hex>
// time: milliseconds since the device started; code: byte 5; block: the 16-bit number at
// offset 8; length: the 16-bit payload length at offset 6 (all decimal); check: ok, header
// (byte 4 of a control frame is not 0x50), sum (checksum mismatch) or size (payload longer
// than the device takes; such a frame is not read, so its payload is empty); payload: the
// payload bytes as upper-case hexadecimal digit pairs, empty when there is none.
#pragma once

#include "sim/frame_scanner.h"

#include <cstdint>
#include <string>
#include <vector>

enum class FrameCheck { ok, header, sum, size };

struct RecordedFrame {
    long time_ms = 0;
    HeaderKind kind = HeaderKind::control;
    int code = 0;
    int block = 0;
    int length = 0;
    FrameCheck check = FrameCheck::ok;
    std::vector<std::uint8_t> payload;
};

// What a frame's bytes pass or fail, in the order the device checks them.
FrameCheck check_frame(const ScannedFrame& frame);

// The record line of a frame, without a line end.
std::string frame_record_line(long time_ms, const ScannedFrame& frame);

// Parses a record line. Returns 1, or 0 for a line that is not a frame record.
int parse_frame_record(const std::string& line, RecordedFrame& record);
