// The upgrade controller inside the simulated device: its frame handlers and the script
// commands that set its replies for fault tests.
#include "formats/upgrade_frames.h"
#include "sim/modules.h"
#include "sim/script_line.h"
#include "sim/upgrade_controller.h"

#include <fstream>
#include <memory>

namespace {

using Controller = std::shared_ptr<UpgradeController>;

constexpr long max_stray_count = 1000;
constexpr std::size_t max_reply_codes = 64;

std::string kind_error(const std::string& word) {
    return "KIND '" + word + "' is not switch, connect, write or test";
}

UpgradeReplyPlan* plan_argument(UpgradeController& controller, const std::string& word,
                                std::string& message) {
    const int kind = upgrade_kind_by_name(word);
    if (kind < 0) {
        message = kind_error(word);
        return nullptr;
    }
    return &controller.plans[static_cast<std::size_t>(kind)];
}

ScriptCommand reply_command(const Controller& controller) {
    return {"KIND CODE|silent...",
            "answer successive valid KIND frames (switch, connect, write, test) with these; "
            "the last stays",
            2, 1 + max_reply_codes,
            [controller](Simulator&, const std::vector<std::string>& args, std::string& message) {
                const int kind = upgrade_kind_by_name(args[0]);
                if (kind < 0) {
                    message = kind_error(args[0]);
                    return ScriptOutcome::malformed;
                }
                std::vector<int> codes;
                for (std::size_t i = 1; i < args.size(); ++i) {
                    long code = 0;
                    if (args[i] == "silent")
                        code = reply_silent;
                    else if (!parse_number(args[i], 0, 255, code)) {
                        message = "'" + args[i] + "' is neither a code 0..255 nor silent";
                        return ScriptOutcome::malformed;
                    }
                    codes.push_back(static_cast<int>(code));
                }
                set_upgrade_replies(*controller, kind, std::move(codes));
                return ScriptOutcome::applied;
            }};
}

// Stray bytes before the 0xAA (`before_start`) or between the 0xAA and the 0x55.
ScriptCommand stray_command(const Controller& controller, bool before_start) {
    return {"KIND COUNT",
            before_start ? "send COUNT stray bytes before the 0xAA of KIND replies"
                         : "send COUNT stray bytes between the 0xAA and 0x55 of KIND replies",
            2, 2,
            [controller, before_start](Simulator&, const std::vector<std::string>& args,
                                       std::string& message) {
                UpgradeReplyPlan* plan = plan_argument(*controller, args[0], message);
                int count = 0;
                if (!plan || !parse_argument(args[1], "COUNT", max_stray_count, count, message))
                    return ScriptOutcome::malformed;
                (before_start ? plan->stray_before_start : plan->stray_before_second) = count;
                return ScriptOutcome::applied;
            }};
}

ScriptCommand corrupt_checksum_command(const Controller& controller) {
    return {"BYTE...",
            "falsify checksum byte BYTE (0..3) of successive memory test replies, one each", 1,
            max_reply_codes,
            [controller](Simulator&, const std::vector<std::string>& args, std::string& message) {
                std::vector<int> faults;
                for (const auto& word : args) {
                    long index = 0;
                    if (!parse_number(word, 0, 3, index)) {
                        message = "BYTE '" + word + "' is not 0..3";
                        return ScriptOutcome::malformed;
                    }
                    faults.push_back(static_cast<int>(index));
                }
                controller->checksum_faults = std::move(faults);
                controller->next_checksum_fault = 0;
                return ScriptOutcome::applied;
            }};
}

ScriptCommand state_command(const Controller& controller) {
    return {"",
            "show the upgrade state: ok regime=R connected=C written=BYTES chunks=N "
            "checksum=HEX",
            0, 0, [controller](Simulator&, const std::vector<std::string>&, std::string& message) {
                char checksum[16];
                std::snprintf(checksum, sizeof checksum, "%08X",
                              written_memory_checksum(*controller));
                message = "regime=" + std::to_string(controller->upgrade_regime ? 1 : 0) +
                          " connected=" + std::to_string(controller->connected ? 1 : 0) +
                          " written=" + std::to_string(controller->written_end) +
                          " chunks=" + std::to_string(controller->written_chunks.size()) +
                          " checksum=" + checksum;
                return ScriptOutcome::applied;
            }};
}

ScriptCommand save_command(const Controller& controller) {
    return {"PATH", "write the memory written since the last connect to the file PATH", 1, 1,
            [controller](Simulator&, const std::vector<std::string>& args, std::string& message) {
                std::ofstream file(args[0], std::ios::binary | std::ios::trunc);
                file.write(reinterpret_cast<const char*>(controller->memory.data()),
                           static_cast<std::streamsize>(controller->written_end));
                if (!file.flush()) {
                    message = "cannot write " + args[0];
                    return ScriptOutcome::failed;
                }
                return ScriptOutcome::applied;
            }};
}

} // namespace

void register_upgrade_module(Simulator& sim) {
    const auto controller = std::make_shared<UpgradeController>();
    const FrameHandler answer = [controller](Simulator&, const ScannedFrame& frame,
                                             FrameAnswer& reply) {
        reply.own_reply = answer_upgrade_frame(*controller, frame.bytes.data(), frame.bytes.size());
    };
    // The switch is a command of the control program's kind: the script's rules for code 16
    // (result, silent, sequence, ...) answer it like any other code, and a switch that they
    // refuse or leave unanswered does not enter the upgrade regime.
    const FrameHandler answer_switch = [answer](Simulator& device, const ScannedFrame& frame,
                                                FrameAnswer& reply) {
        if (next_answer_accepts(device.rules, HeaderKind::control, switch_to_upgrade_code))
            answer(device, frame, reply);
    };
    register_frame_handler(sim, HeaderKind::control, switch_to_upgrade_code, answer_switch);
    register_frame_handler(sim, HeaderKind::upgrade, any_code, answer);
    register_script_command(sim, "upgrade-reply", reply_command(controller));
    register_script_command(sim, "upgrade-stray", stray_command(controller, true));
    register_script_command(sim, "upgrade-gap", stray_command(controller, false));
    register_script_command(sim, "upgrade-corrupt-checksum", corrupt_checksum_command(controller));
    register_script_command(sim, "upgrade-state", state_command(controller));
    register_script_command(sim, "upgrade-save", save_command(controller));
}
