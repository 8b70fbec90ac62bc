// The simulated device: its state, how it answers frames, and the command language that
// scripts it. Modules extend it by registering frame handlers and script commands (see
// modules.cpp); nothing here touches a descriptor, so tests drive it directly.
#pragma once

#include "sim/frame_scanner.h"
#include "sim/reply_rules.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct DeviceState {
    bool connected = false;
    int mode = 0;
    bool sampling = false;
};

// What a frame handler decides about a frame that passed its checks.
struct FrameAnswer {
    int result = 1;                         // the result code after AA 55
    std::vector<std::uint8_t> after_result; // e.g. a checksum that follows the result
    std::vector<std::uint8_t> follow_up;    // a message of the device's own, after the reply
    // A handler that answers in a layout of its own puts the exact bytes here; the reply rules
    // of the script are then not applied.
    std::optional<std::vector<std::uint8_t>> own_reply;
};

struct Simulator;
using SimClock = std::chrono::steady_clock;
using FrameHandler = std::function<void(Simulator&, const ScannedFrame&, FrameAnswer&)>;
// Registered under any_code, a handler takes every frame of its header kind that has no
// handler of its own code.
inline constexpr int any_code = -1;

enum class ScriptOutcome { applied, failed, malformed };
// Runs one script command. `message` is shown after "ok" or "error", or names what is
// malformed.
using ScriptAction = std::function<ScriptOutcome(
    Simulator&, const std::vector<std::string>& arguments, std::string& message)>;

struct ScriptCommand {
    std::string arguments;   // as shown in the help, e.g. "CODE VALUE"
    std::string description; // one line
    std::size_t min_arguments = 0;
    std::size_t max_arguments = 0;
    ScriptAction action;
};

struct DelayedOutput {
    SimClock::time_point due;
    std::vector<std::uint8_t> bytes;
    std::string what; // for a traffic log, as queue_output takes it
};

struct Simulator {
    DeviceState state;
    ReplyRules rules;
    std::map<std::pair<HeaderKind, int>, FrameHandler> frame_handlers;
    std::map<std::string, ScriptCommand> script_commands;
    std::deque<std::uint8_t> output; // bytes waiting to go out on the line
    // With a traffic log on: what the queued bytes are, by the count of bytes put on the line
    // at which each ends.
    std::deque<std::pair<std::size_t, std::string>> output_notes;
    std::size_t output_sent = 0; // bytes put on the line so far
    // Answers held back by a reply delay, in the order they are due, with what they are.
    std::deque<DelayedOutput> delayed_output;
    // Time between two bytes the device sends (0: as fast as the line takes them).
    int byte_gap_ms = 0;
    std::FILE* record = nullptr; // the frame record, when one is kept
    SimClock::time_point started = SimClock::now();
    // A script command that takes time holds the next one back until then, or until every
    // byte it queued is on the line.
    SimClock::time_point script_resume_at = SimClock::time_point::min();
    bool script_waits_for_output = false;
    bool quit_requested = false;
    // Sees the bytes received on the line before the frame scanner does and returns how many
    // of the first ones it takes (a module that expects raw bytes, such as a stored sample sent
    // back, records them); the rest are scanned for frames.
    std::function<std::size_t(Simulator&, const std::uint8_t*, std::size_t)> raw_input;
};

void register_frame_handler(Simulator& sim, HeaderKind kind, int code, FrameHandler handler);
void register_script_command(Simulator& sim, const std::string& name, ScriptCommand command);

// Queues bytes for the line; a traffic log names them `what`, or by their length as a message.
void queue_output(Simulator& sim, const std::vector<std::uint8_t>& bytes,
                  const std::string& what = {});
// Takes `count` bytes off the queue as put on the line, and logs them.
void take_sent_output(Simulator& sim, std::size_t count, std::int64_t since_ns);
long elapsed_ms(const Simulator& sim);

// Records a received frame, lets its handler act, and queues the answer (or holds it back
// for the frame's reply delay). A sound control frame of a code that no module knows is
// answered with result 7, "Wrong number of command".
void handle_frame(Simulator& sim, const ScannedFrame& frame);

// Moves the delayed answers that are due by `now` into the output.
void release_delayed_output(Simulator& sim, SimClock::time_point now);

// Runs the script command of a line's words (not empty).
ScriptOutcome run_script_command(Simulator& sim, const std::vector<std::string>& words,
                                 std::string& message);

// One line per script command: its name, arguments and description.
std::string script_help(const Simulator& sim);
