// The window side of making and downloading the banknote database: the buttons and the
// selected description file handed to the make and the download.
#include "database/transfer_buttons.h"

#include "database/database_area.h"
#include "database/download_sender.h"
#include "database/make_database.h"
#include "database/sampling_control.h"
#include "files/file_texts.h"
#include "files/folder_files.h"
#include "formats/made_file.h"
#include "shell/pages.h"
#include "shell/program_files.h"
#include "shell/program_state.h"
#include "shell/status_line.h"
#include "shell/transfer_progress.h"
#include "shell/window_exchange.h"
#include "ui/drawing_kit.h"
#include "ui/window.h"

namespace {

// Progress and errors of the make go where those of the download go.
void show_info_drawn(const std::string& text) {
    window_exchange().show_info(text);
}

void show_error_text(const std::string& text) {
    window_exchange().show_error(text);
}

// Reads the selected description file; shows "Can't find " + its name when it cannot.
int read_selected_file(std::string& file_name, std::string& text) {
    file_name = selected_db_file_name();
    if (!file_name.empty() && read_text_file(path_in(working_folder, file_name), text))
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

// The steps of `make_and_download`: modes 1 and 3 make first; mode 1 then only checks the
// made file.
void make_and_download_steps(int mode) {
    if (mode != download_only && !make_stage())
        return;
    std::string file_name, made_text;
    if (!read_selected_file(file_name, made_text))
        return;
    const DownloadOutcome outcome = download_made_file(
        mode, made_text, file_name, display_db_name_of_file(file_name), window_exchange());
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
    std::string file_name, text;
    if (!read_selected_file(file_name, text))
        return;
    if (!is_made_file_text(text)) {
        show_error_text(std::string(db_is_empty_text));
        return;
    }
    make_and_download(download_only);
}

void build_download_button() {
    add_to_page(page_collect,
                main_window->add_push_button("Download DB to VARDEN", download_button, 15, 80, 260,
                                             22, &font_bold),
                ShownWhen::connected);
}
