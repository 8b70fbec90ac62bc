// The control program's commands that change what the device is doing. Faults set by the
// script change only the answer on the line, not what the device does with a frame.
#include "formats/frames.h"
#include "formats/result_codes.h"
#include "sim/modules.h"

namespace {

constexpr std::size_t mode_payload_length = 2;
// Any 7 bytes end the connected state: the program tells messages apart by length alone.
constexpr std::size_t end_connected_length = 7;

void register_state_change(Simulator& sim, int code, bool DeviceState::*flag, bool value) {
    register_frame_handler(sim, HeaderKind::control, code,
                           [flag, value](Simulator& device, const ScannedFrame&, FrameAnswer&) {
                               device.state.*flag = value;
                           });
}

void store_mode(Simulator& sim, const ScannedFrame& frame, FrameAnswer& answer) {
    if (frame_payload_length(frame) != mode_payload_length) {
        answer.result = result_wrong_size;
        return;
    }
    sim.state.mode = frame_payload(frame)[0];
}

ScriptOutcome end_connected(Simulator& sim, const std::vector<std::string>&, std::string&) {
    sim.state.connected = false;
    queue_output(sim, std::vector<std::uint8_t>(end_connected_length, 0));
    sim.script_waits_for_output = true;
    return ScriptOutcome::applied;
}

ScriptOutcome show_state(Simulator& sim, const std::vector<std::string>&, std::string& message) {
    message = "connected=" + std::to_string(sim.state.connected ? 1 : 0) +
              " mode=" + std::to_string(sim.state.mode) +
              " sampling=" + std::to_string(sim.state.sampling ? 1 : 0);
    return ScriptOutcome::applied;
}

} // namespace

void register_control_commands(Simulator& sim) {
    register_state_change(sim, command_connect, &DeviceState::connected, true);
    register_state_change(sim, command_disconnect, &DeviceState::connected, false);
    register_state_change(sim, command_start_sampling, &DeviceState::sampling, true);
    register_state_change(sim, command_stop_sampling, &DeviceState::sampling, false);
    register_frame_handler(sim, HeaderKind::control, command_mode, store_mode);
    // The acknowledgement of a sample buffer changes nothing.
    register_frame_handler(sim, HeaderKind::control, command_sample_acknowledge,
                           [](Simulator&, const ScannedFrame&, FrameAnswer&) {});
    register_script_command(
        sim, "end-connected",
        {"", "send the 7-byte message that ends the connected state", 0, 0, end_connected});
    register_script_command(
        sim, "state",
        {"", "show the device state: ok connected=C mode=M sampling=S", 0, 0, show_state});
}
