#include "traffic/upload_control.h"

#include "files/folder_files.h"
#include "shell/pages.h"
#include "shell/program_files.h"
#include "shell/program_state.h"
#include "shell/transfer_progress.h"
#include "shell/window_exchange.h"
#include "traffic/upload_flow.h"
#include "ui/drawing_kit.h"
#include "ui/window.h"

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

UploadState upload_state;

// A ".UPL" file is written under a temporary name while the upload runs, and takes its own
// name only when complete: an upload that stops short never leaves a part in place of a
// good file.
std::string upl_temporary_path(const std::string& name) {
    return path_in(working_folder, name) + temporary_suffix;
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
    if (complete && ::rename(temporary.c_str(), path_in(working_folder, name).c_str()) == 0)
        return 1;
    ::unlink(temporary.c_str());
    return 0;
}

// An upload is over when it is idle again (complete, refused or not written).
void end_progress_of_ended_upload() {
    if (upload_state.upload_row == 0)
        end_transfer_progress();
}

} // namespace

void upload_button() {
    if (upload_state.upload_row > 0) // an interrupted upload: its part is dropped
        end_upl_file(upload_state.upload_file_name, false);
    end_transfer_progress();
    upload_state = {}; // whatever an interrupted upload left behind is not written to
    request_upload(window_exchange());
}

void build_upload_button() {
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
