// The banknote database inside the simulated device. A download (command 7, image blocks with
// code 5, the two name-table frames with code 4, command 8) replaces it; an upload request
// (command 3) is answered with its name table, and every command 6 that follows with the next
// side image, until command 8 ends the upload.
#include "formats/frames.h"
#include "formats/name_table.h"
#include "sim/device_database.h"
#include "sim/modules.h"
#include "sim/script_line.h"

#include <memory>

namespace {

// The device's answer to a transfer frame it cannot take.
constexpr int result_download_error = 6;

struct DatabaseDevice {
    DeviceDatabase database;
    bool download_open = false;
    bool upload_open = false;
    int next_upload_side = 1;
    int blocks_kept = 0;
    int name_frames_kept = 0;
};
using SharedDevice = std::shared_ptr<DatabaseDevice>;

// An empty database: no image data and 109 unused name records. The device keeps its own MC
// setting.
void clear_database(DatabaseDevice& device) {
    const int mc_percent = device.database.mc_percent;
    device.database = {};
    device.database.mc_percent = mc_percent;
    build_name_frames({}, {0}, db_name_code(""), device.database.first_names,
                      device.database.second_names);
    device.blocks_kept = 0;
    device.name_frames_kept = 0;
}

void open_download(DatabaseDevice& device) {
    clear_database(device);
    device.download_open = true;
    device.upload_open = false;
}

// Outside a download the frame is not the database's: it gets the default answer.
void keep_frame(DatabaseDevice& device, const ScannedFrame& frame, FrameAnswer& answer) {
    const int code = frame_code(frame);
    if (!device.download_open)
        return;
    if (!keep_download_frame(device.database, code, frame_block(frame), frame_payload(frame),
                             static_cast<int>(frame_payload_length(frame)))) {
        answer.result = result_download_error;
        return;
    }
    ++(code == command_image_block ? device.blocks_kept : device.name_frames_kept);
}

void end_transfer(DatabaseDevice& device) {
    device.download_open = false;
    device.upload_open = false;
}

void start_upload(DatabaseDevice& device, FrameAnswer& answer) {
    device.download_open = false;
    device.upload_open = true;
    device.next_upload_side = 1;
    const UploadTableMessage table = encode_upload_table(device.database);
    answer.follow_up.assign(table.begin(), table.end());
}

// Command 6: the next side image, or a refusal when the upload has none left to send.
// Outside an upload it gets the default answer.
void continue_upload(DatabaseDevice& device, FrameAnswer& answer) {
    if (!device.upload_open)
        return;
    if (device.next_upload_side > stored_side_count(device.database)) {
        answer.result = result_download_error;
        return;
    }
    const UploadImageMessage image = encode_upload_image(device.database, device.next_upload_side);
    ++device.next_upload_side;
    answer.follow_up.assign(image.begin(), image.end());
}

std::string state_text(const DatabaseDevice& device) {
    const char* transfer = device.download_open ? "download"
                           : device.upload_open ? "upload"
                                                : "none";
    return "sides=" + std::to_string(stored_side_count(device.database)) +
           " blocks=" + std::to_string(device.blocks_kept) +
           " names=" + std::to_string(device.name_frames_kept) +
           " mc=" + std::to_string(device.database.mc_percent) + " transfer=" + transfer;
}

void register_transfer_handler(
    Simulator& sim, int code,
    std::function<void(DatabaseDevice&, const ScannedFrame&, FrameAnswer&)> action,
    const SharedDevice& device) {
    register_frame_handler(sim, HeaderKind::control, code,
                           [device, action, code](Simulator& simulator, const ScannedFrame& frame,
                                                  FrameAnswer& answer) {
                               if (next_answer_accepts(simulator.rules, HeaderKind::control, code))
                                   action(*device, frame, answer);
                           });
}

} // namespace

void register_database_module(Simulator& sim) {
    const SharedDevice device = std::make_shared<DatabaseDevice>();
    clear_database(*device);
    register_transfer_handler(
        sim, command_open_download,
        [](DatabaseDevice& d, const ScannedFrame&, FrameAnswer&) { open_download(d); }, device);
    register_transfer_handler(sim, command_image_block, keep_frame, device);
    register_transfer_handler(sim, command_name_table, keep_frame, device);
    register_transfer_handler(
        sim, command_end_transfer,
        [](DatabaseDevice& d, const ScannedFrame&, FrameAnswer&) { end_transfer(d); }, device);
    register_transfer_handler(
        sim, command_request_upload,
        [](DatabaseDevice& d, const ScannedFrame&, FrameAnswer& answer) {
            start_upload(d, answer);
        },
        device);
    register_transfer_handler(
        sim, command_continue_upload,
        [](DatabaseDevice& d, const ScannedFrame&, FrameAnswer& answer) {
            continue_upload(d, answer);
        },
        device);

    register_script_command(
        sim, "database-state",
        {"", "show the kept database: ok sides=S blocks=B names=N mc=M transfer=T", 0, 0,
         [device](Simulator&, const std::vector<std::string>&, std::string& message) {
             message = state_text(*device);
             return ScriptOutcome::applied;
         }});
    register_script_command(
        sim, "database-mc",
        {"PERCENT", "the MC percentage (0..255) the device sends as COR= in an upload", 1, 1,
         [device](Simulator&, const std::vector<std::string>& args, std::string& message) {
             long value = 0;
             if (!parse_number(args[0], 0, 255, value)) {
                 message = "PERCENT '" + args[0] + "' is not 0..255";
                 return ScriptOutcome::malformed;
             }
             device->database.mc_percent = static_cast<int>(value);
             return ScriptOutcome::applied;
         }});
    register_script_command(sim, "database-clear",
                            {"", "forget the kept database (an upload then sends an empty table)",
                             0, 0,
                             [device](Simulator&, const std::vector<std::string>&, std::string&) {
                                 clear_database(*device);
                                 end_transfer(*device);
                                 return ScriptOutcome::applied;
                             }});
}
