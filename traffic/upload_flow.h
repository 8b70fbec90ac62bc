// The upload of the device database, driven by the device: "Upload DB from VARDEN" sends
// command 3; the device answers with its name/nominal table, then one side image per message,
// each answered with command 6 (go on) until the last, which is answered with command 8.
// The dispatcher calls on_table_message / on_image_message with the messages of those lengths.
//
// State: idle (row 0) until a table is accepted; then row 1 side 1, advancing per image; back
// to idle when the upload completes or fails, so that a side image arriving outside an upload
// is ignored and never written to a stale file.
#pragma once

#include "formats/upload_table.h"
#include "link/device_exchange.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

struct UploadState {
    int upload_row = 0;  // 1..109 during an upload, 0 when idle
    int upload_side = 0; // 1..4 during an upload
    std::string upload_file_name;
    UploadTable table;
    int images_received = 0; // side images of this upload so far
};

// Writes `text` to the file `name` in the working folder, replacing it (`append` false) or at
// its end. Returns 1, or 0 when the file cannot be written.
using TextFileWriter =
    std::function<int(const std::string& name, const std::string& text, bool append)>;

// Ends the ".UPL" file `name` of an upload: when `complete`, the file written puts itself in
// place of an older one of that name; otherwise what was written is dropped and the older file
// kept. Returns 1, or 0 when a complete file cannot be put in place. Without one, the writer's
// files are final as written.
using UplFileEnder = std::function<int(const std::string& name, bool complete)>;

// The writer and the ender of the ".UPL" files of `folder`: a file is written under its name +
// ".tmp" while the upload runs and takes its own name only when complete, so that an upload
// that stops short never leaves a part in place of a good file.
TextFileWriter upl_file_writer(const std::string& folder);
UplFileEnder upl_file_ender(const std::string& folder);

inline constexpr const char* uploading_table_text = "Uploading NAME/NOMINAL/NUM from VARDEN ...";
inline constexpr const char* uploaded_table_text = "Uploaded NAME/NOMINAL/NUM from VARDEN";
inline constexpr const char* wrong_upload_crc_text = "Wrong CRC of UPLOAD buffer";

// "Upload DB from VARDEN": command 3 (three tries); on success shows "Uploading
// NAME/NOMINAL/NUM from VARDEN ...". Returns 1, or 0 after showing the error of the last result.
int request_upload(const DeviceExchange& exchange);

// A 2666-byte table message. A wrong sum shows "Wrong CRC of UPLOAD buffer" and sends nothing.
// Otherwise the table is kept, command 6 sent (three tries; on failure the error, then command
// 8 once) and the ".UPL" file created with its "COR=" line. Returns 1 when the upload is under
// way: the caller then sets `mc_percent` to `state.table.mc_percent`.
int on_table_message(UploadState& state, const std::uint8_t* message, std::size_t length,
                     const DeviceExchange& exchange, const TextFileWriter& write_text,
                     const UplFileEnder& end_file = {});

// A 2563-byte side image message: ignored (returns 0) while no upload is in progress.
// Otherwise the side is decoded and appended to the ".UPL" file (a wrong sum is shown but the
// data still written), then command 6 asks for the next image, or, after the last one, the
// file name + " created" is shown and command 8 ends the upload. Returns 1 when handled.
int on_image_message(UploadState& state, const std::uint8_t* message, std::size_t length,
                     const DeviceExchange& exchange, const TextFileWriter& write_text,
                     const UplFileEnder& end_file = {});

// The side images the device sends after `table`: one for a row without Side2 images, four
// for every other used row.
int upload_image_total(const UploadTable& table);

// The row and side of the next image: the next side, or the next row after Side4 or after
// Side1 of a row without Side2 images.
void advance_upload(UploadState& state);
