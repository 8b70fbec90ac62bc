#include "sim/simulator.h"

#include "formats/message_kinds.h"
#include "formats/result_codes.h"
#include "formats/traffic_log_format.h"
#include "formats/upgrade_frames.h"
#include "link/traffic_log.h"
#include "sim/frame_record.h"

#include <algorithm>

namespace {

int check_result(FrameCheck check) {
    switch (check) {
    case FrameCheck::header: return result_wrong_header;
    case FrameCheck::sum: return result_wrong_checksum;
    case FrameCheck::size: return result_wrong_size;
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

// Queues answer bytes at once, or holds them back for the frame's reply delay.
void queue_answer(Simulator& sim, const std::vector<std::uint8_t>& bytes, const std::string& what,
                  int delay_ms) {
    if (bytes.empty())
        return;
    if (delay_ms > 0)
        sim.delayed_output.push_back(
            {SimClock::now() + std::chrono::milliseconds(delay_ms), bytes, what});
    else
        queue_output(sim, bytes, what);
}

} // namespace

void register_frame_handler(Simulator& sim, HeaderKind kind, int code, FrameHandler handler) {
    sim.frame_handlers[{kind, code}] = std::move(handler);
}

void register_script_command(Simulator& sim, const std::string& name, ScriptCommand command) {
    sim.script_commands[name] = std::move(command);
}

void queue_output(Simulator& sim, const std::vector<std::uint8_t>& bytes, const std::string& what) {
    sim.output.insert(sim.output.end(), bytes.begin(), bytes.end());
    if (traffic_log_on() && !bytes.empty())
        sim.output_notes.emplace_back(sim.output_sent + sim.output.size(),
                                      what.empty() ? message_note(bytes.size()) : what);
}

void take_sent_output(Simulator& sim, std::size_t count, std::int64_t since_ns) {
    if (traffic_log_on()) {
        // One line for each queued item that ends among these bytes, named as queued.
        const std::vector<std::uint8_t> sent(sim.output.begin(), sim.output.begin() + count);
        std::size_t logged = 0;
        while (!sim.output_notes.empty() &&
               sim.output_notes.front().first <= sim.output_sent + count) {
            const std::size_t ends_at = sim.output_notes.front().first;
            const std::size_t end =
                std::max(ends_at > sim.output_sent ? ends_at - sim.output_sent : 0, logged);
            traffic_log_sent(sent.data() + logged, end - logged, since_ns);
            traffic_log_end_sent(sim.output_notes.front().second);
            sim.output_notes.pop_front();
            logged = end;
        }
        traffic_log_sent(sent.data() + logged, count - logged, since_ns);
    }
    sim.output.erase(sim.output.begin(), sim.output.begin() + static_cast<std::ptrdiff_t>(count));
    sim.output_sent += count;
}

long elapsed_ms(const Simulator& sim) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(SimClock::now() - sim.started)
            .count());
}

void handle_frame(Simulator& sim, const ScannedFrame& frame) {
    if (traffic_log_on())
        traffic_log_end_received(upgrade_frame_note(frame.bytes.data(), frame.bytes.size()));
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
    const bool own_layout = answer.own_reply && !has_reply_rule(sim.rules, frame.kind, code);
    const std::vector<std::uint8_t> reply =
        own_layout ? *answer.own_reply
                   : reply_bytes(sim.rules, frame.kind, code, answer.result,
                                 check == FrameCheck::ok, answer.after_result);
    const std::string reply_note =
        !traffic_log_on() ? std::string()
        : own_layout      ? std::string("reply")
                          : acknowledgement_note(answer.result, command_result_text(answer.result));
    // A message of the device's own leaves right after the answer, after the same delay.
    const int delay_ms = reply_delay_ms(sim.rules, frame.kind, code);
    queue_answer(sim, reply, reply_note, delay_ms);
    queue_answer(sim, answer.follow_up, {}, delay_ms);
}

void release_delayed_output(Simulator& sim, SimClock::time_point now) {
    while (!sim.delayed_output.empty() && sim.delayed_output.front().due <= now) {
        queue_output(sim, sim.delayed_output.front().bytes, sim.delayed_output.front().what);
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
