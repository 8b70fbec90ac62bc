#include "database/sampling_control.h"

#include "database/database_area.h"
#include "database/sampling_marks.h"
#include "database/table_editor.h"
#include "files/file_texts.h"
#include "files/folder_files.h"
#include "formats/frames.h"
#include "formats/sample_file.h"
#include "formats/sample_names.h"
#include "link/commands.h"
#include "shell/pages.h"
#include "shell/program_files.h"
#include "shell/program_state.h"
#include "shell/status_line.h"
#include "traffic/sample_receipt.h"
#include "ui/drawing_kit.h"
#include "ui/event_loop.h"
#include "ui/simple_graphics.h"
#include "ui/window.h"

#include <QApplication>
#include <QThread>
#include <cstdio>
#include <span>

int sampling_row = 0;
std::string last_sample_name;
int accept_pressed = 0;
int reject_pressed = 0;

namespace {

// The beep follows a short pause, so that it is heard after the device's own sound.
constexpr unsigned long prompt_beep_delay_ms = 500;

void show_control(ClassControl* control, bool on) {
    if (control)
        control->show(on);
}

std::string row_text(int index) {
    return db_area.db_table_list ? db_area.db_table_list->item_text(index).str() : std::string();
}

// "*" on the checked sides of the sampling row.
void mark_sampling_row() {
    if (db_area.db_table_list && sampling_row >= 0 &&
        sampling_row < db_area.db_table_list->item_count())
        store_db_row(sampling_row, put_side_marks(row_text(sampling_row), checked_sides()));
}

void unmark_row(int index) {
    if (db_area.db_table_list && index >= 0 && index < db_area.db_table_list->item_count())
        store_db_row(index, clear_side_marks(row_text(index)));
}

void show_side_buttons(bool on) {
    for (ClassRadioButton* button : db_area.side_buttons)
        show_control(button, on);
}

bool window_closing() {
    return !main_window || main_window->close_requested;
}

} // namespace

void toggle_sampling() {
    close_name_edit();
    if (sampling_on == 0) {
        const int result = send_command_with_retries(command_start_sampling);
        if (result != result_accepted) {
            show_command_error(result);
            return;
        }
        set_sampling(1);
        mark_sampling_row();
        show_side_buttons(true);
        show_last_sample(TextString(std::string_view(last_sample_name)));
        return;
    }
    stop_sampling();
}

void stop_sampling() {
    const int result = send_command_with_retries(command_stop_sampling);
    if (result != result_accepted)
        show_command_error(result);
    else
        stop_sampling_local();
}

void stop_sampling_local() {
    set_sampling(0);
    unmark_row(selected_db_row());
}

void set_sampling(int on) {
    set_sampling_indicator(on);
    show_status_error("");
    show_state_and_button(db_area.sampling_state_panel, db_area.sampling_button,
                          on ? "Sampling ON" : "Sampling OFF",
                          on ? "Stop sampling" : "Start sampling");
    sampling_on = on;
    show_control(db_area.delete_last_sample_button, on != 0);
    show_control(shared.last_sample_panel, on != 0);
    show_side_buttons(false);
}

void set_sampling_indicator(int on) {
    if (db_area.sampling_indicator)
        db_area.sampling_indicator->draw_bitmap_resource(on ? bitmap_sampling_on
                                                            : bitmap_sampling_off);
}

void cycle_mc() {
    const int next = next_mc_percent(mc_percent);
    if (next < 0)
        return;
    mc_percent = next;
    if (db_area.mc_button)
        db_area.mc_button->set_text(TextString(std::string_view(mc_label(mc_percent))));
}

void on_database_row_selected() {
    const int selected = selected_db_row();
    if (sampling_on == 1)
        unmark_row(sampling_row);
    sampling_row = selected;
    show_row_in_edits(selected);
    if (sampling_on == 1)
        mark_sampling_row();
}

void on_side_button_clicked() {
    if (sampling_on != 1)
        return;
    unmark_row(sampling_row);
    mark_sampling_row();
}

int acceptance_prompt() {
    show_status_error("Wrong image of banknote");
    show_control(db_area.accept_push_button, true);
    show_control(db_area.reject_push_button, true);
    show_control(db_area.delete_last_sample_button, false);
    QThread::msleep(prompt_beep_delay_ms);
    QApplication::beep();
    accept_pressed = 0;
    reject_pressed = 0;
    // The window is served here, but the port is not read: bytes the device sends meanwhile
    // wait for the main loop.
    wait_for_user_answer(
        [] { return window_closing() || accept_pressed == 1 || reject_pressed == 1; });
    const int accepted = accept_pressed == 1 ? 1 : 0;
    show_control(db_area.accept_push_button, false);
    show_control(db_area.reject_push_button, false);
    // A sample may arrive while another page is shown: only the SAMPLING page gets its
    // controls back.
    if (current_mode == page_sampling) {
        show_control(db_area.delete_last_sample_button, true);
        refresh_side_headers();
    }
    return accepted;
}

void refresh_side_headers() {
    for (ClassSimpleGraphics* header : db_area.side_headers) {
        show_control(header, false);
        show_control(header, true);
    }
}

void delete_last_sample() {
    const TextString name{std::string_view(last_sample_name)};
    if (last_sample_name.empty() || std::remove(last_sample_name.c_str()) != 0) {
        show_status_error("Could not delete " + name);
        return;
    }
    show_status_info("Deleted " + name);
    last_sample_name.clear();
    show_last_sample("");
    refresh_selected_row();
}

void accept_button() {
    accept_pressed = 1;
}

void reject_button() {
    reject_pressed = 1;
}

void on_sample_buffer(const std::uint8_t* message, std::size_t length) {
    if (sampling_on != 1 || length != sample_buffer_size)
        return;
    send_command(command_sample_acknowledge);
    const std::span<const std::uint8_t> sample(message, sample_buffer_size);
    if (!sample_checksum_ok(sample)) {
        show_status_error("Wrong CRC of SAMPLE buffer");
        return;
    }
    const SamplingTarget target = selected_sampling_target();
    if (target.state == 0 &&
        envelope_distance(sample, target.sample_prefix, working_folder,
                          list_folder(working_folder)) > wrong_image_distance &&
        acceptance_prompt() != 1)
        return;
    const std::string name =
        sample_file_name(target.sample_prefix,
                         next_sample_number(target.sample_prefix, list_folder(working_folder)));
    if (const char* wrong = wrong_target_text(target.state)) {
        show_status_error(wrong);
        return;
    }
    if (write_sample_file(path_in(working_folder, name), sample) != 1) {
        show_status_error(TextString(std::string_view(cant_write_text(name))));
        return;
    }
    last_sample_name = name;
    show_last_sample(TextString(std::string_view(name)));
    refresh_selected_row();
    show_status_info("Received");
}
