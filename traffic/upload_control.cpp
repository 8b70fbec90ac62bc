#include "traffic/upload_control.h"

#include "shell/pages.h"
#include "shell/program_files.h"
#include "shell/program_state.h"
#include "shell/transfer_progress.h"
#include "shell/window_exchange.h"
#include "traffic/upload_flow.h"
#include "ui/drawing_kit.h"
#include "ui/window.h"

namespace {

UploadState upload_state;

const TextFileWriter write_upl_text = upl_file_writer(working_folder);
const UplFileEnder end_upl_file = upl_file_ender(working_folder);

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
