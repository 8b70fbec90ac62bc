#include "traffic/stored_sample_requests.h"

#include "files/folder_files.h"
#include "link/commands.h"
#include "link/traffic_log.h"
#include "shell/pages.h"
#include "shell/program_files.h"
#include "shell/program_state.h"
#include "traffic/message_reader.h"
#include "ui/drawing_kit.h"
#include "ui/simple_graphics.h"

#include <algorithm>

ClassSimpleGraphics* sample_file_panel = nullptr;
SampleListing sample_listing;

namespace {

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
