// The database download over a device exchange: after the make stage (modes 1 and 3, done by
// the caller) the made file is planned, then in modes 2 and 3 sent: command 7 (three tries),
// the image blocks as data frames with code 5 numbered from 0, the two name-table frames with
// code 4, command 8 (three tries). After command 7 was accepted, a refused frame ends the
// exchange with command 8 sent once. Progress and errors go to the exchange's status writers.
#pragma once

#include "database/download_plan.h"
#include "link/device_exchange.h"

#include <string_view>

// The status-line texts of a download, exactly as the device's users know them.
inline constexpr std::string_view db_is_empty_text = "DB is empty";
inline constexpr std::string_view downloading_images_text = "Downloading IMAGE DATE to VARDEN ...";
inline constexpr std::string_view downloaded_images_text = "Downloaded IMAGE DATE to VARDEN";
inline constexpr std::string_view downloading_names_text =
    "Downloading NAME/NOMINAL/NUM to VARDEN ...";
inline constexpr std::string_view downloaded_names_text = "Downloaded NAME/NOMINAL/NUM to VARDEN";

// The progress text while image block `block` (1 and up) is sent: "...VARDEN ...7".
std::string downloading_block_text(int block);

enum DownloadMode : int {
    download_check_only = 1, // "Make DB file": the checks, nothing sent
    download_only = 2,       // "Download DB to VARDEN"
    download_after_make = 3, // "Make and Download DB"
};

struct DownloadOutcome {
    int result = 0; // 1: checked (mode 1) or sent and closed; 0: failed, the error is shown
    // The image blocks were all accepted: the caller sets `mc_percent` to 0 from then on.
    bool images_accepted = false;
};

// Sends a plan (command 7 first, command 8 last).
DownloadOutcome send_download_plan(const DownloadPlan& plan, const DeviceExchange& exchange);

// Plans the made file `made_text` of `file_name` and, in modes 2 and 3, sends it. A file that
// fails the checks shows its error and sends nothing.
DownloadOutcome download_made_file(int mode, std::string_view made_text, std::string_view file_name,
                                   std::string_view display_db_name,
                                   const DeviceExchange& exchange);
