#include "database/transfer_steps.h"

#include "database/description_file.h"
#include "files/file_texts.h"
#include "files/folder_files.h"
#include "formats/made_file.h"

int read_description_file(const std::string& folder, const std::string& file_name,
                          std::string& text, const DeviceExchange& exchange) {
    if (!file_name.empty() && read_text_file(path_in(folder, file_name), text))
        return 1;
    exchange.show_error(cant_find_text(file_name));
    return 0;
}

int check_made_file(const std::string& folder, const std::string& file_name,
                    const DeviceExchange& exchange) {
    std::string text;
    if (!read_description_file(folder, file_name, text, exchange))
        return 0;
    if (!is_made_file_text(text)) {
        exchange.show_error(std::string(db_is_empty_text));
        return 0;
    }
    return 1;
}

DownloadOutcome make_and_download_file(int mode, MakeInput input, const DeviceExchange& exchange) {
    if (mode != download_only) {
        input.progress = exchange.show_info;
        input.row_progress = exchange.show_progress;
        std::string message;
        if (!make_database(input, message)) {
            exchange.show_error(message);
            return {};
        }
        exchange.show_info(message);
    }
    std::string made_text;
    if (!read_description_file(input.folder, input.db_file_name, made_text, exchange))
        return {};
    return download_made_file(mode, made_text, input.db_file_name,
                              display_db_name_of_file(input.db_file_name), exchange);
}
