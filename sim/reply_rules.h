// How the simulated device answers a frame: AA 55 and a result code, unless a rule set by the
// script for that command code asks for a fault (no answer, stray bytes before the 0xAA, a
// broken second byte) or another result, once or as a sequence.
#pragma once

#include "sim/frame_scanner.h"

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <utility>
#include <vector>

// A sequence entry that leaves one frame unanswered.
inline constexpr int sequence_silent = -1;
// A broken second byte of -1 means AA AA 55 <result>: a second 0xAA before the 0x55.
inline constexpr int repeated_start_byte = -1;
// What is sent as a stray byte: never 0xAA, so it cannot be taken for a start.
inline constexpr std::uint8_t stray_byte = 0x33;

struct ReplyRule {
    std::optional<int> result;
    std::deque<int> sequence; // results used first, one per frame, before `result`
    bool silent = false;
    int stray_count = 0;
    std::optional<int> broken_second_byte;
    std::optional<int> delay_ms; // the answer leaves this long after the frame's last byte
};

struct ReplyRules {
    std::map<std::pair<HeaderKind, int>, ReplyRule> by_code;
    int delay_all_ms = 0; // for every frame without a delay of its own code
};

ReplyRule& reply_rule(ReplyRules& rules, HeaderKind kind, int code);

// Whether the script set a rule for the code: its answer then follows the rule.
bool has_reply_rule(const ReplyRules& rules, HeaderKind kind, int code);

// Whether the next answer to a sound frame of the code accepts it (result 1): a frame that the
// script makes the device refuse or leave unanswered changes nothing in the device.
bool next_answer_accepts(const ReplyRules& rules, HeaderKind kind, int code);

// Milliseconds between a frame's last byte and its answer.
int reply_delay_ms(const ReplyRules& rules, HeaderKind kind, int code);

// The bytes that answer a frame whose own result is `device_result`, followed by
// `after_result`. A frame that failed its checks keeps its error result, but faults still
// apply. Consumes one sequence entry of a frame that passed its checks.
std::vector<std::uint8_t> reply_bytes(ReplyRules& rules, HeaderKind kind, int code,
                                      int device_result, bool passed_checks,
                                      const std::vector<std::uint8_t>& after_result);
