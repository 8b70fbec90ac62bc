#include "traffic/upload_flow.h"

#include "files/file_texts.h"
#include "files/folder_files.h"
#include "formats/frames.h"
#include "formats/made_file.h"
#include "formats/upload_image.h"
#include "link/commands.h"

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

void end_upload(UploadState& state) {
    state.upload_row = 0;
    state.upload_side = 0;
}

// An upload that stops short drops its partly written file: an older ".UPL" of that name stays.
void drop_file(const UploadState& state, const UplFileEnder& end_file) {
    if (end_file && state.upload_row > 0)
        end_file(state.upload_file_name, false);
}

// A refused step: its error, command 8 once, and the upload is over.
void abandon(UploadState& state, const DeviceExchange& exchange, int result,
             const UplFileEnder& end_file) {
    exchange.show_command_error(result);
    exchange.send_command(command_end_transfer);
    drop_file(state, end_file);
    end_upload(state);
}

void fail_to_write(UploadState& state, const DeviceExchange& exchange,
                   const UplFileEnder& end_file) {
    exchange.show_error(cant_write_text(state.upload_file_name));
    exchange.send_command(command_end_transfer);
    drop_file(state, end_file);
    end_upload(state);
}

// The last image arrived: the device ends the upload with command 8 as always, whether or not
// the file could be put in place.
void complete(UploadState& state, const DeviceExchange& exchange, const UplFileEnder& end_file) {
    if (end_file && end_file(state.upload_file_name, true) != 1) {
        exchange.show_error(cant_write_text(state.upload_file_name));
        drop_file(state, end_file);
    } else {
        exchange.show_info(state.upload_file_name + " created");
    }
    send_with_retries(exchange.send_command,
                      command_end_transfer); // a failure here is not reported
    end_upload(state);
}

} // namespace

TextFileWriter upl_file_writer(const std::string& folder) {
    return [folder](const std::string& name, const std::string& text, bool append) {
        std::ofstream file(path_in(folder, name) + temporary_suffix,
                           std::ios::binary | (append ? std::ios::app : std::ios::trunc));
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
        file.close();
        return file.fail() ? 0 : 1;
    };
}

UplFileEnder upl_file_ender(const std::string& folder) {
    return [folder](const std::string& name, bool complete) {
        const std::string path = path_in(folder, name);
        const std::string temporary = path + temporary_suffix;
        if (complete && ::rename(temporary.c_str(), path.c_str()) == 0)
            return 1;
        ::unlink(temporary.c_str());
        return 0;
    };
}

int request_upload(const DeviceExchange& exchange) {
    const int result = send_with_retries(exchange.send_command, command_request_upload);
    if (result != result_accepted) {
        exchange.show_command_error(result);
        return 0;
    }
    exchange.show_info(uploading_table_text);
    return 1;
}

int on_table_message(UploadState& state, const std::uint8_t* message, std::size_t length,
                     const DeviceExchange& exchange, const TextFileWriter& write_text,
                     const UplFileEnder& end_file) {
    if (length != upload_table_message_size)
        return 0;
    if (!upload_sum_matches(message, upload_table_data_size)) {
        exchange.show_error(wrong_upload_crc_text);
        return 0;
    }
    // A new table replaces an upload that did not finish: its partly written file goes first,
    // whatever name the new one has.
    drop_file(state, end_file);
    end_upload(state);
    read_upload_table(message, length, state.table);
    exchange.show_info(uploaded_table_text);
    const int result = send_with_retries(exchange.send_command, command_continue_upload);
    if (result != result_accepted) {
        abandon(state, exchange, result, end_file);
        return 0;
    }
    state.upload_file_name = state.table.file_name;
    state.upload_row = 1;
    state.upload_side = 1;
    state.images_received = 0;
    report_progress(exchange, 0, upload_image_total(state.table));
    if (!write_text(state.upload_file_name, cor_line(state.table.mc_percent), false)) {
        fail_to_write(state, exchange, end_file);
        return 0;
    }
    // A device without banknotes has no image to send: the file is complete as it is.
    if (state.table.used_rows == 0)
        complete(state, exchange, end_file);
    return 1;
}

int on_image_message(UploadState& state, const std::uint8_t* message, std::size_t length,
                     const DeviceExchange& exchange, const TextFileWriter& write_text,
                     const UplFileEnder& end_file) {
    if (state.upload_row < 1 || length != upload_image_message_size)
        return 0;
    if (!upload_sum_matches(message, upload_image_data_size))
        exchange.show_error(wrong_upload_crc_text);
    const std::string creating = "Creating " + state.upload_file_name;
    const int image_number = 4 * (state.upload_row - 1) + state.upload_side;
    exchange.show_info(creating);
    exchange.show_info(creating + " ... ");
    exchange.show_info(creating + " ... " + std::to_string(image_number));

    const int row = state.upload_row - 1;
    const std::string side_text =
        side_header_line(state.table.row_names[row] + "_" +
                             std::to_string(state.table.nominals[row]) + "_" +
                             std::to_string(state.upload_side) + "_",
                         state.table.image_counts[row][state.upload_side - 1]) +
        decode_side_image(message, upload_image_data_size);
    if (!write_text(state.upload_file_name, side_text, true)) {
        fail_to_write(state, exchange, end_file);
        return 0;
    }
    advance_upload(state);
    report_progress(exchange, ++state.images_received, upload_image_total(state.table));
    if (state.upload_row == state.table.used_rows + 1) {
        complete(state, exchange, end_file);
        return 1;
    }
    const int result = exchange.send_command(command_continue_upload);
    if (result != result_accepted)
        abandon(state, exchange, result, end_file);
    return 1;
}

int upload_image_total(const UploadTable& table) {
    int total = 0;
    for (int row = 0; row < table.used_rows && row < upload_rows; ++row)
        total += table.image_counts[static_cast<std::size_t>(row)][1] == 0 ? 1 : 4;
    return total;
}

void advance_upload(UploadState& state) {
    ++state.upload_side;
    const bool single_sided = state.table.image_counts[state.upload_row - 1][1] == 0;
    if (state.upload_side == 5 || (state.upload_side == 2 && single_sided)) {
        ++state.upload_row;
        state.upload_side = 1;
    }
}
