// Script commands that set how frames are answered and put bytes on the line.
#include "sim/modules.h"
#include "sim/script_line.h"

#include <fstream>
#include <iterator>

namespace {

constexpr long max_stray_count = 1000;
constexpr long max_wait_ms = 600000;
constexpr std::size_t max_file_bytes = 1 << 20;

// The command code argument; fills `message` when it is not 0..255.
bool code_argument(const std::string& word, int& code, std::string& message) {
    long value = 0;
    if (!parse_number(word, 0, 255, value)) {
        message = "command code '" + word + "' is not 0..255";
        return false;
    }
    code = static_cast<int>(value);
    return true;
}

bool byte_argument(const std::string& word, int& byte, std::string& message) {
    long value = 0;
    if (!parse_number(word, 0, 255, value)) {
        message = "'" + word + "' is not a byte value 0..255";
        return false;
    }
    byte = static_cast<int>(value);
    return true;
}

ReplyRule* rule_argument(Simulator& sim, const std::string& word, std::string& message) {
    int code = 0;
    return code_argument(word, code, message) ? &reply_rule(sim.rules, HeaderKind::control, code)
                                              : nullptr;
}

ScriptOutcome set_result(Simulator& sim, const std::vector<std::string>& args,
                         std::string& message) {
    ReplyRule* rule = rule_argument(sim, args[0], message);
    int result = 0;
    if (!rule || !byte_argument(args[1], result, message))
        return ScriptOutcome::malformed;
    rule->result = result;
    return ScriptOutcome::applied;
}

ScriptOutcome set_silent(Simulator& sim, const std::vector<std::string>& args,
                         std::string& message) {
    ReplyRule* rule = rule_argument(sim, args[0], message);
    if (!rule)
        return ScriptOutcome::malformed;
    rule->silent = true;
    return ScriptOutcome::applied;
}

ScriptOutcome set_stray(Simulator& sim, const std::vector<std::string>& args,
                        std::string& message) {
    ReplyRule* rule = rule_argument(sim, args[0], message);
    if (!rule || !parse_argument(args[1], "COUNT", max_stray_count, rule->stray_count, message))
        return ScriptOutcome::malformed;
    return ScriptOutcome::applied;
}

ScriptOutcome set_broken(Simulator& sim, const std::vector<std::string>& args,
                         std::string& message) {
    ReplyRule* rule = rule_argument(sim, args[0], message);
    int second_byte = repeated_start_byte;
    if (!rule || (args.size() == 2 && !byte_argument(args[1], second_byte, message)))
        return ScriptOutcome::malformed;
    rule->broken_second_byte = second_byte;
    return ScriptOutcome::applied;
}

ScriptOutcome set_sequence(Simulator& sim, const std::vector<std::string>& args,
                           std::string& message) {
    ReplyRule* rule = rule_argument(sim, args[0], message);
    if (!rule)
        return ScriptOutcome::malformed;
    std::deque<int> sequence;
    for (std::size_t i = 1; i < args.size(); ++i) {
        int result = sequence_silent;
        if (args[i] != "silent" && !byte_argument(args[i], result, message))
            return ScriptOutcome::malformed;
        sequence.push_back(result);
    }
    rule->sequence = std::move(sequence);
    return ScriptOutcome::applied;
}

ScriptOutcome set_delay(Simulator& sim, const std::vector<std::string>& args,
                        std::string& message) {
    int ms = 0;
    if (!parse_argument(args[1], "MS", max_wait_ms, ms, message))
        return ScriptOutcome::malformed;
    if (args[0] == "all") {
        sim.rules.delay_all_ms = ms;
        return ScriptOutcome::applied;
    }
    ReplyRule* rule = rule_argument(sim, args[0], message);
    if (!rule)
        return ScriptOutcome::malformed;
    rule->delay_ms = ms;
    return ScriptOutcome::applied;
}

ScriptOutcome set_gap(Simulator& sim, const std::vector<std::string>& args, std::string& message) {
    return parse_argument(args[0], "MS", max_wait_ms, sim.byte_gap_ms, message)
               ? ScriptOutcome::applied
               : ScriptOutcome::malformed;
}

ScriptOutcome reset_rules(Simulator& sim, const std::vector<std::string>& args,
                          std::string& message) {
    if (args.empty()) {
        sim.rules = {};
        return ScriptOutcome::applied;
    }
    int code = 0;
    if (!code_argument(args[0], code, message))
        return ScriptOutcome::malformed;
    sim.rules.by_code.erase({HeaderKind::control, code});
    return ScriptOutcome::applied;
}

ScriptOutcome send_hex(Simulator& sim, const std::vector<std::string>& args, std::string& message) {
    std::vector<std::uint8_t> bytes;
    if (!parse_hex_bytes(args, bytes)) {
        message = "bytes must be pairs of hexadecimal digits";
        return ScriptOutcome::malformed;
    }
    queue_output(sim, bytes);
    sim.script_waits_for_output = true;
    return ScriptOutcome::applied;
}

ScriptOutcome send_file(Simulator& sim, const std::vector<std::string>& args,
                        std::string& message) {
    std::ifstream file(args[0], std::ios::binary);
    std::vector<std::uint8_t> bytes;
    if (file)
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (!file && !file.eof()) {
        message = "cannot read " + args[0];
        return ScriptOutcome::failed;
    }
    if (bytes.size() > max_file_bytes) {
        message = args[0] + " is longer than " + std::to_string(max_file_bytes) + " bytes";
        return ScriptOutcome::failed;
    }
    queue_output(sim, bytes);
    sim.script_waits_for_output = true;
    message = std::to_string(bytes.size()) + " bytes";
    return ScriptOutcome::applied;
}

ScriptOutcome wait_ms(Simulator& sim, const std::vector<std::string>& args, std::string& message) {
    int ms = 0;
    if (!parse_argument(args[0], "MS", max_wait_ms, ms, message))
        return ScriptOutcome::malformed;
    sim.script_resume_at = SimClock::now() + std::chrono::milliseconds(ms);
    return ScriptOutcome::applied;
}

ScriptOutcome quit(Simulator& sim, const std::vector<std::string>&, std::string&) {
    sim.quit_requested = true;
    return ScriptOutcome::applied;
}

} // namespace

void register_line_commands(Simulator& sim) {
    register_script_command(
        sim, "result", {"CODE VALUE", "answer frames of CODE with result VALUE", 2, 2, set_result});
    register_script_command(sim, "silent",
                            {"CODE", "leave frames of CODE unanswered", 1, 1, set_silent});
    register_script_command(
        sim, "stray",
        {"CODE COUNT", "send COUNT stray bytes (0x33) before the 0xAA", 2, 2, set_stray});
    register_script_command(
        sim, "broken",
        {"CODE [BYTE]", "break the second byte: AA AA 55 r, or AA BYTE r", 1, 2, set_broken});
    register_script_command(sim, "sequence",
                            {"CODE V1 V2 ...",
                             "answer the next frames of CODE with V1, V2, ... (a value or "
                             "'silent'), then as before",
                             2, 64, set_sequence});
    register_script_command(sim, "delay",
                            {"CODE|all MS",
                             "answer frames of CODE (or every frame) MS milliseconds after their "
                             "last byte",
                             2, 2, set_delay});
    register_script_command(
        sim, "gap",
        {"MS", "send every byte MS milliseconds after the one before (0: off)", 1, 1, set_gap});
    register_script_command(
        sim, "reset",
        {"[CODE]", "answer every code (or CODE) with its plain result again", 0, 1, reset_rules});
    register_script_command(
        sim, "send",
        {"HEX...", "send bytes, e.g. send AA 55 01 or send AA5501", 1, 100000, send_hex});
    register_script_command(sim, "send-file",
                            {"PATH", "send the bytes of a file", 1, 1, send_file});
    register_script_command(
        sim, "wait", {"MS", "hold the next command back for MS milliseconds", 1, 1, wait_ms});
    register_script_command(sim, "quit", {"", "end the simulated device", 0, 0, quit});
}
