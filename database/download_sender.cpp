#include "database/download_sender.h"

#include "database/download_texts.h"

namespace {

constexpr int open_download = 7;
constexpr int name_table_frame = 4;
constexpr int image_block_frame = 5;
constexpr int end_transfer = 8;

// Shows the refusal and closes the device's side of the transfer.
void abandon(const DeviceExchange& exchange, int result) {
    exchange.show_command_error(result);
    exchange.send_command(end_transfer);
}

} // namespace

DownloadOutcome send_download_plan(const DownloadPlan& plan, const DeviceExchange& exchange) {
    DownloadOutcome outcome;
    int result = command_with_retries(exchange, open_download);
    if (result != 1) {
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
            exchange.send_data(image_block_frame, block,
                               plan.image_data.data() + block * image_block_size, image_block_size);
        if (result != 1) {
            abandon(exchange, result);
            return outcome;
        }
        report_progress(exchange, block + 1, steps);
    }
    exchange.show_info(std::string(downloaded_images_text));
    outcome.images_accepted = true;

    exchange.show_info(std::string(downloading_names_text));
    result =
        exchange.send_data(name_table_frame, 0, plan.first_names.data(), first_name_frame_size);
    if (result == 1) {
        report_progress(exchange, steps - 1, steps);
        result = exchange.send_data(name_table_frame, 0, plan.second_names.data(),
                                    second_name_frame_size);
    }
    if (result != 1) {
        abandon(exchange, result);
        return outcome;
    }
    report_progress(exchange, steps, steps);
    exchange.show_info(std::string(downloaded_names_text));
    result = command_with_retries(exchange, end_transfer);
    if (result != 1) {
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
