#include "sim/reply_rules.h"

#include "formats/result_codes.h"

ReplyRule& reply_rule(ReplyRules& rules, HeaderKind kind, int code) {
    return rules.by_code[{kind, code}];
}

bool has_reply_rule(const ReplyRules& rules, HeaderKind kind, int code) {
    return rules.by_code.count({kind, code}) != 0;
}

bool next_answer_accepts(const ReplyRules& rules, HeaderKind kind, int code) {
    const auto found = rules.by_code.find({kind, code});
    if (found == rules.by_code.end())
        return true;
    const ReplyRule& rule = found->second;
    if (rule.silent)
        return false;
    if (!rule.sequence.empty())
        return rule.sequence.front() == result_accepted;
    return !rule.result || *rule.result == result_accepted;
}

int reply_delay_ms(const ReplyRules& rules, HeaderKind kind, int code) {
    const auto found = rules.by_code.find({kind, code});
    if (found != rules.by_code.end() && found->second.delay_ms)
        return *found->second.delay_ms;
    return rules.delay_all_ms;
}

std::vector<std::uint8_t> reply_bytes(ReplyRules& rules, HeaderKind kind, int code,
                                      int device_result, bool passed_checks,
                                      const std::vector<std::uint8_t>& after_result) {
    ReplyRule no_rule;
    const auto found = rules.by_code.find({kind, code});
    ReplyRule& rule = found == rules.by_code.end() ? no_rule : found->second;
    int result = device_result;
    if (passed_checks && !rule.sequence.empty()) {
        result = rule.sequence.front();
        rule.sequence.pop_front();
        if (result == sequence_silent)
            return {};
    } else if (passed_checks && rule.result) {
        result = *rule.result;
    }
    if (rule.silent)
        return {};
    std::vector<std::uint8_t> reply(static_cast<std::size_t>(rule.stray_count), stray_byte);
    reply.push_back(0xAA);
    if (!rule.broken_second_byte)
        reply.push_back(0x55);
    else if (*rule.broken_second_byte == repeated_start_byte)
        reply.insert(reply.end(), {0xAA, 0x55});
    else
        reply.push_back(static_cast<std::uint8_t>(*rule.broken_second_byte));
    reply.push_back(static_cast<std::uint8_t>(result));
    reply.insert(reply.end(), after_result.begin(), after_result.end());
    return reply;
}
