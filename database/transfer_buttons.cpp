// The window side of making and downloading the banknote database: the buttons and the
// selected description file handed to the make and the download.
#include "database/transfer_buttons.h"

#include "database/database_area.h"
#include "database/sampling_control.h"
#include "database/transfer_steps.h"
#include "files/folder_files.h"
#include "formats/made_file.h"
#include "shell/pages.h"
#include "shell/program_files.h"
#include "shell/program_state.h"
#include "shell/transfer_progress.h"
#include "shell/window_exchange.h"
#include "ui/drawing_kit.h"
#include "ui/window.h"

namespace {

// The steps of `make_and_download` on the table's rows and the selected description file.
void make_and_download_steps(int mode) {
    MakeInput input;
    input.db_file_name = selected_db_file_name();
    input.folder = working_folder;
    if (mode != download_only) {
        input.rows = db_rows;
        input.mc_percent = mc_percent;
        input.names = list_folder(input.folder);
    }
    const DownloadOutcome outcome = make_and_download_file(mode, input, window_exchange());
    if (outcome.images_accepted)
        mc_percent = 0;
}

void make_and_download(int mode) {
    stop_sampling_local();
    make_and_download_steps(mode);
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
    if (check_made_file(working_folder, selected_db_file_name(), window_exchange()))
        make_and_download(download_only);
}

void build_download_button() {
    add_to_page(page_collect,
                main_window->add_push_button("Download DB to VARDEN", download_button, 15, 80, 260,
                                             22, &font_bold),
                ShownWhen::connected);
}
