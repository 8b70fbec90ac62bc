// The window side of making, downloading and uploading the banknote database: the buttons, the
// device link and status line handed to the transfer code, and the ".UPL" file writer.
#include "database/transfer_buttons.h"

#include "analysis/sampling_control.h"
#include "app/layout.h"
#include "app/main_loop.h"
#include "app/pages.h"
#include "app/program_state.h"
#include "app/status_line.h"
#include "app/transfer_progress.h"
#include "database/database_area.h"
#include "database/download_sender.h"
#include "database/download_texts.h"
#include "database/folder_files.h"
#include "database/link_exchange.h"
#include "database/made_file_tokens.h"
#include "database/make_database.h"
#include "traffic/upload_flow.h"
#include "ui/window.h"

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

UploadState upload_state;

void show_info_drawn(const std::string& text) {
    show_status_info(TextString(std::string_view(text)));
    keep_window_drawn();
}

void show_error_text(const std::string& text) {
    show_status_error(TextString(std::string_view(text)));
}

// The real device link and the status line; the window is repainted after every exchange, so
// a download's progress is seen while it runs.
const DeviceExchange& window_exchange() {
    static const DeviceExchange exchange = [] {
        DeviceExchange made = link_exchange(
            keep_window_drawn, [](int result) { show_command_error(result); }, show_error_text,
            show_info_drawn);
        made.show_progress = show_transfer_progress;
        return made;
    }();
    return exchange;
}

// A ".UPL" file is written under a temporary name while the upload runs, and takes its own
// name only when complete: an upload that stops short never leaves a part in place of a
// good file.
std::string upl_temporary_path(const std::string& name) {
    return path_in(".", name) + ".tmp";
}

int write_upl_text(const std::string& name, const std::string& text, bool append) {
    std::ofstream file(upl_temporary_path(name),
                       std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    return file.fail() ? 0 : 1;
}

int end_upl_file(const std::string& name, bool complete) {
    const std::string temporary = upl_temporary_path(name);
    if (complete && ::rename(temporary.c_str(), path_in(".", name).c_str()) == 0)
        return 1;
    ::unlink(temporary.c_str());
    return 0;
}

// Reads the selected description file; shows "Can't find " + its name when it cannot.
int read_selected_file(std::string& file_name, std::string& text) {
    file_name = selected_db_file_name();
    if (!file_name.empty() && read_text_file(path_in(".", file_name), text))
        return 1;
    show_error_text(cant_find_text(file_name));
    return 0;
}

// The make stage: the table's rows become the made description file. 1 when it is in place.
int make_stage() {
    MakeInput input;
    input.rows = db_rows;
    input.db_file_name = selected_db_file_name();
    input.mc_percent = mc_percent;
    input.names = list_folder(input.folder);
    input.progress = show_info_drawn;
    input.row_progress = show_transfer_progress;
    std::string message;
    if (!make_database(input, message)) {
        show_error_text(message);
        return 0;
    }
    show_info_drawn(message);
    return 1;
}

// `make_and_download`: modes 1 and 3 make first; mode 1 then only checks the made file.
void make_and_download_steps(int mode) {
    if (mode != download_only && !make_stage())
        return;
    std::string file_name, made_text;
    if (!read_selected_file(file_name, made_text))
        return;
    const DownloadOutcome outcome =
        download_made_file(mode, made_text, file_name, display_db_name.view(), window_exchange());
    if (outcome.images_accepted)
        mc_percent = 0;
}

void make_and_download(int mode) {
    stop_sampling_local();
    make_and_download_steps(mode);
    end_transfer_progress();
}

// An upload is over when it is idle again (complete, refused or not written).
void end_progress_of_ended_upload() {
    if (upload_state.upload_row == 0)
        end_transfer_progress();
}

} // namespace

void make_db_button() {
    close_name_edit();
    make_and_download(download_check_only);
}

void make_and_download_button() {
    close_name_edit();
    make_and_download(download_after_make);
}

void download_button() {
    close_name_edit();
    std::string file_name, text;
    if (!read_selected_file(file_name, text))
        return;
    if (!is_made_file_text(text)) {
        show_error_text(std::string(db_is_empty_text));
        return;
    }
    make_and_download(download_only);
}

void upload_button() {
    if (upload_state.upload_row > 0) // an interrupted upload: its part is dropped
        end_upl_file(upload_state.upload_file_name, false);
    end_transfer_progress();
    upload_state = {}; // whatever an interrupted upload left behind is not written to
    upload_button(window_exchange());
}

void build_collect_transfer_buttons() {
    add_to_page(page_collect,
                main_window->add_push_button("Download DB to VARDEN", download_button, 15, 80, 260,
                                             22, &font_bold),
                ShownWhen::connected);
    add_to_page(page_collect,
                main_window->add_push_button("Upload DB from VARDEN", upload_button, 15, 110, 260,
                                             22, &font_bold),
                ShownWhen::connected);
}

void on_upload_table_received(const std::uint8_t* message, std::size_t length) {
    if (on_table_message(upload_state, message, length, window_exchange(), write_upl_text,
                         end_upl_file) == 1)
        mc_percent = upload_state.table.mc_percent;
    end_progress_of_ended_upload();
}

void on_upload_image_received(const std::uint8_t* message, std::size_t length) {
    on_image_message(upload_state, message, length, window_exchange(), write_upl_text,
                     end_upl_file);
    end_progress_of_ended_upload();
}
