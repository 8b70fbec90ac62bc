// The upload's table reader and side image decoder on messages of any content: the same
// input is read as a table message (cut or zero-filled to 2666 bytes) and decoded as a side
// image, both at its own length and at the 2559 bytes of an image message. A decoded side,
// under a header token, is a side block the download can read again.
#include "database/description_file.h"
#include "files/folder_files.h"
#include "files/typed_names.h"
#include "formats/image_compression.h"
#include "formats/made_file.h"
#include "formats/upload_image.h"
#include "formats/upload_table.h"
#include "tests/fuzz/fuzz_input.h"

#include <string>

namespace {

void check_table(const std::vector<std::uint8_t>& message) {
    UploadTable table;
    FUZZ_CHECK(read_upload_table(message.data(), message.size(), table) == 1);
    FUZZ_CHECK(table.used_rows >= 0 && table.used_rows <= upload_rows);
    FUZZ_CHECK(table.mc_percent >= 0 && table.mc_percent <= 255);
    FUZZ_CHECK(table.file_name.size() >= 4 && table.file_name.size() <= 16);
    FUZZ_CHECK(is_acceptable_file_name(table.file_name));
    FUZZ_CHECK(table.file_name.ends_with(".UPL"));
    for (int row = 0; row < upload_rows; ++row) {
        FUZZ_CHECK(table.row_names[row].size() <= 7);
        FUZZ_CHECK(table.nominals[row] < (1u << 20));
        for (const int count : table.image_counts[row])
            FUZZ_CHECK(count >= 0 && count <= 4095);
    }
}

// The ".UPL" block of the side: it compresses again, or is too big for the device, but its
// format is always sound.
void check_side_block(const std::string& side_text) {
    const std::string block = cor_line(0) + side_header_line("USD_100_1_", 12) + side_text;
    CompressedImages images;
    CompressionFault fault;
    const int result = compress_made_file(block, images, fault);
    FUZZ_CHECK(result == compression_done || result == compression_side_too_big);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput whole{data, size};
    check_table(whole.take_bytes(upload_table_message_size));

    const std::vector<std::uint8_t> own_length(data, data + size);
    FUZZ_CHECK(is_printable_lines(decode_side_image(own_length.data(), own_length.size())));

    FuzzInput image{data, size};
    const std::vector<std::uint8_t> message = image.take_bytes(upload_image_data_size);
    const std::string side_text = decode_side_image(message.data(), message.size());
    FUZZ_CHECK(is_printable_lines(side_text));
    check_side_block(side_text);
    return 0;
}
