#include "sim/frame_record.h"

#include "formats/frames.h"
#include "sim/script_line.h"

#include <array>

namespace {

constexpr std::array<const char*, 4> check_names = {"ok", "header", "sum", "size"};

const char* kind_name(HeaderKind kind) {
    return kind == HeaderKind::control ? "control" : "upgrade";
}

// The value of `word` after "key=", or false when the word has another key.
bool field_value(const std::string& word, const std::string& key, std::string& value) {
    if (word.size() < key.size() + 1 || word.compare(0, key.size(), key) != 0 ||
        word[key.size()] != '=')
        return false;
    value = word.substr(key.size() + 1);
    return true;
}

bool number_field(const std::string& word, const std::string& key, int& value) {
    std::string text;
    long number = 0;
    if (!field_value(word, key, text) || !parse_number(text, 0, 0x7FFFFFFF, number))
        return false;
    value = static_cast<int>(number);
    return true;
}

} // namespace

FrameCheck check_frame(const ScannedFrame& frame) {
    if (frame.oversized)
        return FrameCheck::size;
    if (frame.kind == HeaderKind::control && frame_kind_field(frame) != frame_kind_byte)
        return FrameCheck::header;
    return frame_sum_matches(frame) ? FrameCheck::ok : FrameCheck::sum;
}

std::string frame_record_line(long time_ms, const ScannedFrame& frame) {
    const std::size_t payload_length = frame.oversized ? 0 : frame_payload_length(frame);
    return "time=" + std::to_string(time_ms) + " kind=" + kind_name(frame.kind) +
           " code=" + std::to_string(frame_code(frame)) +
           " block=" + std::to_string(frame_block(frame)) +
           " length=" + std::to_string(frame_payload_length(frame)) +
           " check=" + check_names[static_cast<std::size_t>(check_frame(frame))] +
           " payload=" + hex_text(frame_payload(frame), payload_length);
}

int parse_frame_record(const std::string& line, RecordedFrame& record) {
    const auto words = script_words(line);
    if (words.size() != 7)
        return 0;
    RecordedFrame parsed;
    int time = 0;
    std::string kind;
    std::string check;
    std::string payload;
    if (!number_field(words[0], "time", time) || !field_value(words[1], "kind", kind) ||
        !number_field(words[2], "code", parsed.code) ||
        !number_field(words[3], "block", parsed.block) ||
        !number_field(words[4], "length", parsed.length) ||
        !field_value(words[5], "check", check) || !field_value(words[6], "payload", payload))
        return 0;
    parsed.time_ms = time;
    if (kind != "control" && kind != "upgrade")
        return 0;
    parsed.kind = kind == "control" ? HeaderKind::control : HeaderKind::upgrade;
    bool known_check = false;
    for (std::size_t i = 0; i < check_names.size(); ++i) {
        if (check == check_names[i]) {
            parsed.check = static_cast<FrameCheck>(i);
            known_check = true;
        }
    }
    if (!known_check || (!payload.empty() && !parse_hex_bytes({payload}, parsed.payload)))
        return 0;
    record = std::move(parsed);
    return 1;
}
