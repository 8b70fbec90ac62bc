#include "database/download_sender.h"

#include "formats/frames.h"
#include "link/commands.h"

namespace {

// Every image block goes out in one data frame of the device exchange.
static_assert(image_block_size <= static_cast<int>(largest_frame_payload));

// Shows the refusal and closes the device's side of the transfer.
void abandon(const DeviceExchange& exchange, int result) {
    exchange.show_command_error(result);
    exchange.send_command(command_end_transfer);
}

} // namespace

std::string downloading_block_text(int block) {
    return std::string(downloading_images_text) + std::to_string(block);
}

DownloadOutcome send_download_plan(const DownloadPlan& plan, const DeviceExchange& exchange) {
    DownloadOutcome outcome;
    int result = send_with_retries(exchange.send_command, command_open_download);
    if (result != result_accepted) {
        exchange.show_command_error(result);
        return outcome;
    }
    exchange.show_info(std::string(downloading_images_text));
    // The steps: every image block and the two name-table frames.
    const int steps = plan.block_count + 2;
    report_progress(exchange, 0, steps);
    for (int block = 0; block < plan.block_count; ++block) {
        if (block > 0)
            exchange.show_info(downloading_block_text(block));
        result =
            exchange.send_data(command_image_block, block,
                               plan.image_data.data() + block * image_block_size, image_block_size);
        if (result != result_accepted) {
            abandon(exchange, result);
            return outcome;
        }
        report_progress(exchange, block + 1, steps);
    }
    exchange.show_info(std::string(downloaded_images_text));
    outcome.images_accepted = true;

    exchange.show_info(std::string(downloading_names_text));
    result =
        exchange.send_data(command_name_table, 0, plan.first_names.data(), first_name_frame_size);
    if (result == result_accepted) {
        report_progress(exchange, steps - 1, steps);
        result = exchange.send_data(command_name_table, 0, plan.second_names.data(),
                                    second_name_frame_size);
    }
    if (result != result_accepted) {
        abandon(exchange, result);
        return outcome;
    }
    report_progress(exchange, steps, steps);
    exchange.show_info(std::string(downloaded_names_text));
    result = send_with_retries(exchange.send_command, command_end_transfer);
    if (result != result_accepted) {
        exchange.show_command_error(result);
        return outcome;
    }
    outcome.result = 1;
    return outcome;
}

DownloadOutcome download_made_file(int mode, std::string_view made_text, std::string_view file_name,
                                   std::string_view display_db_name,
                                   const DeviceExchange& exchange) {
    DownloadPlan plan;
    std::string error_text;
    if (!plan_download(made_text, file_name, display_db_name, plan, error_text)) {
        exchange.show_error(error_text);
        return {};
    }
    if (mode == download_check_only)
        return {1, false};
    return send_download_plan(plan, exchange);
}
