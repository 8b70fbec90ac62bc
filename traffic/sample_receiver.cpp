#include "traffic/sample_receiver.h"

#include "analysis/sampling_control.h"
#include "app/layout.h"
#include "app/pages.h"
#include "app/program_state.h"
#include "app/status_line.h"
#include "database/folder_files.h"
#include "database/sample_names.h"
#include "database/table_editor.h"
#include "link/commands.h"
#include "link/frames.h"
#include "link/traffic_log.h"
#include "traffic/dispatcher.h"
#include "ui/simple_graphics.h"
#include "ui/window.h"

#include <algorithm>
#include <span>

ClassSimpleGraphics* sample_file_panel = nullptr;
SampleListing sample_listing;

namespace {

const std::string working_folder = ".";

void show_sample_file_name(const std::string& text) {
    if (!sample_file_panel)
        return;
    // It belongs to the ANALYSIS page; on the others it would cover their controls.
    if (current_mode == page_analysis)
        sample_file_panel->show(true);
    sample_file_panel->draw_text_filled(TextString(std::string_view(text)), colour_blue,
                                        colour_background, text_format_single_line);
}

} // namespace

void on_sample_buffer() {
    if (sampling_on != 1 || receive_length != sample_buffer_size)
        return;
    send_command(command_sample_acknowledge);
    const std::span<const std::uint8_t> sample(receive_buffer.data(), sample_buffer_size);
    if (!sample_checksum_ok(sample)) {
        show_status_error("Wrong CRC of SAMPLE buffer");
        return;
    }
    select_sampling_target();
    if (sampling_target_state == 0 &&
        envelope_distance(sample, sample_prefix, working_folder, list_folder(working_folder)) >
            wrong_image_distance &&
        acceptance_prompt() != 1)
        return;
    // Both arguments are not empty so that the search is always made.
    count_sample_files("-", "-");
    highest_number += 1;
    const std::string name = sample_file_name(sample_prefix, highest_number);
    if (const char* wrong = wrong_target_text(sampling_target_state)) {
        show_status_error(wrong);
        return;
    }
    if (write_sample_file(path_in(working_folder, name), sample) != 1) {
        show_status_error(TextString(std::string_view("Can't write " + name)));
        return;
    }
    last_sample_name = name;
    show_last_sample(TextString(std::string_view(name)));
    refresh_selected_row();
    show_status_info("Received");
}

void on_sample_request() {
    const StoredSampleReply reply = next_stored_sample(sample_listing, working_folder);
    show_sample_file_name(reply.name);
    std::copy(reply.bytes.begin(), reply.bytes.end(), receive_buffer.begin());
    write_raw(static_cast<int>(sample_buffer_size), receive_buffer.data());
    if (traffic_log_on())
        traffic_log_end_sent("stored sample for the request");
    if (reply.ended)
        show_sample_file_name(reply.name + " END");
}

void build_sample_request_area() {
    sample_listing = sample_listing_of(list_folder(working_folder));
    sample_file_panel =
        add_text_panel(120, 90, 250, 20, false, "123", colour_blue, colour_background, &font_bold);
    if (sample_file_panel)
        sample_file_panel->show(false);
    add_to_page(page_analysis, sample_file_panel, ShownWhen::never);
}
