#include "sim/simulator.h"

#include "sim/frame_record.h"

#include <algorithm>

namespace {

constexpr int result_header_error = 2;
constexpr int result_checksum_error = 3;
constexpr int result_size_error = 5;
constexpr int result_wrong_command = 7;

int check_result(FrameCheck check) {
    switch (check) {
    case FrameCheck::header: return result_header_error;
    case FrameCheck::sum: return result_checksum_error;
    case FrameCheck::size: return result_size_error;
    case FrameCheck::ok: break;
    }
    return 1;
}

const FrameHandler* handler_for(const Simulator& sim, HeaderKind kind, int code) {
    auto found = sim.frame_handlers.find({kind, code});
    if (found == sim.frame_handlers.end())
        found = sim.frame_handlers.find({kind, any_code});
    return found == sim.frame_handlers.end() ? nullptr : &found->second;
}

} // namespace

void register_frame_handler(Simulator& sim, HeaderKind kind, int code, FrameHandler handler) {
    sim.frame_handlers[{kind, code}] = std::move(handler);
}

void register_script_command(Simulator& sim, const std::string& name, ScriptCommand command) {
    sim.script_commands[name] = std::move(command);
}

void queue_output(Simulator& sim, const std::vector<std::uint8_t>& bytes) {
    sim.output.insert(sim.output.end(), bytes.begin(), bytes.end());
}

long elapsed_ms(const Simulator& sim) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(SimClock::now() - sim.started)
            .count());
}

void handle_frame(Simulator& sim, const ScannedFrame& frame) {
    if (sim.record) {
        std::fprintf(sim.record, "%s\n", frame_record_line(elapsed_ms(sim), frame).c_str());
        std::fflush(sim.record);
    }
    const FrameCheck check = check_frame(frame);
    const int code = frame_code(frame);
    FrameAnswer answer;
    answer.result = check_result(check);
    if (check == FrameCheck::ok) {
        if (const FrameHandler* handler = handler_for(sim, frame.kind, code))
            (*handler)(sim, frame, answer);
        else
            answer.result = result_wrong_command;
    }
    // A rule of the script decides the answer of its code, also over a handler's own layout.
    std::vector<std::uint8_t> reply =
        answer.own_reply && !has_reply_rule(sim.rules, frame.kind, code)
            ? *answer.own_reply
            : reply_bytes(sim.rules, frame.kind, code, answer.result, check == FrameCheck::ok,
                          answer.after_result);
    reply.insert(reply.end(), answer.follow_up.begin(), answer.follow_up.end());
    const int delay_ms = reply_delay_ms(sim.rules, frame.kind, code);
    if (delay_ms > 0 && !reply.empty())
        sim.delayed_output.emplace_back(SimClock::now() + std::chrono::milliseconds(delay_ms),
                                        std::move(reply));
    else
        queue_output(sim, reply);
}

void release_delayed_output(Simulator& sim, SimClock::time_point now) {
    while (!sim.delayed_output.empty() && sim.delayed_output.front().first <= now) {
        queue_output(sim, sim.delayed_output.front().second);
        sim.delayed_output.pop_front();
    }
}

ScriptOutcome run_script_command(Simulator& sim, const std::vector<std::string>& words,
                                 std::string& message) {
    const auto found = sim.script_commands.find(words[0]);
    if (found == sim.script_commands.end()) {
        message = "unknown command '" + words[0] + "'";
        return ScriptOutcome::malformed;
    }
    const ScriptCommand& command = found->second;
    const std::vector<std::string> arguments(words.begin() + 1, words.end());
    if (arguments.size() < command.min_arguments || arguments.size() > command.max_arguments) {
        message = "usage: " + words[0] + (command.arguments.empty() ? "" : " ") + command.arguments;
        return ScriptOutcome::malformed;
    }
    const ScriptOutcome outcome = command.action(sim, arguments, message);
    if (outcome == ScriptOutcome::malformed)
        message = words[0] + ": " + message;
    return outcome;
}

std::string script_help(const Simulator& sim) {
    std::string help;
    for (const auto& [name, command] : sim.script_commands) {
        std::string usage = name + (command.arguments.empty() ? "" : " ") + command.arguments;
        usage.resize(std::max<std::size_t>(usage.size() + 2, 28), ' ');
        help += "  " + usage + command.description + "\n";
    }
    return help;
}
