// The device's side of a database transfer, for the simulated device and the tests: what a
// device keeps of a download, and the upload messages it sends back from it.
//
// The device keeps the frames as they come: the image blocks at 1536·block, the two name-table
// payloads as they are. For an upload it sends
//   - the table: the 109 records (36 from the first payload, 73 from the second), the
//     extension table, 33 zero bytes, its MC percentage, the twelve name codes, the sum;
//   - one message per side in image data order: the side's bytes (from the end of the side
//     before to its own end, both from the block table), zero-filled to 2559 bytes, the sum.
//     A side of at most 2560 bytes ends on a 24-bit word, so it fits 2559 bytes.
#pragma once

#include "formats/name_table.h"
#include "formats/upload_image.h"
#include "formats/upload_table.h"

#include <array>
#include <cstdint>
#include <vector>

struct DeviceDatabase {
    std::vector<std::uint8_t> image_data; // the received image blocks
    FirstNameFrame first_names{};
    SecondNameFrame second_names{};
    int mc_percent = 0; // the device's own correction setting, sent as "COR="
};

using UploadTableMessage = std::array<std::uint8_t, upload_table_message_size>;
using UploadImageMessage = std::array<std::uint8_t, upload_image_message_size>;

// Keeps a frame of a download: code 5 an image block (block 0..157, 1536 bytes), code 4 a
// name-table payload (1496 or 1534 bytes). Returns 1, or 0 for any other frame.
int keep_download_frame(DeviceDatabase& database, int code, int block, const std::uint8_t* payload,
                        int length);

// The number of sides in the block table.
int stored_side_count(const DeviceDatabase& database);

UploadTableMessage encode_upload_table(const DeviceDatabase& database);

// The message of side `side` (1..stored_side_count); a side outside 1..120 gives zero data.
UploadImageMessage encode_upload_image(const DeviceDatabase& database, int side);
