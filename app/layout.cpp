#include "app/layout.h"

#include "analysis/analysis_view.h"
#include "analysis/results_view.h"
#include "database/sampling_page.h"
#include "database/transfer_buttons.h"
#include "link/port_names.h"
#include "link/serial_port.h"
#include "shell/connection.h"
#include "shell/pages.h"
#include "shell/program_state.h"
#include "shell/shell_rules.h"
#include "shell/status_line.h"
#include "shell/transfer_progress.h"
#include "traffic/stored_sample_requests.h"
#include "traffic/upload_control.h"
#include "ui/drawing_kit.h"
#include "ui/watched_lists.h"
#include "ui/window.h"

#include <array>
#include <string>

int chosen_port_number = first_port_number;

namespace {

void build_status_line() {
    add_text_panel(5, 721, 1007, 20, true, " Status:", colour_text, colour_status_back,
                   &font_normal);
    shared.status_message_panel =
        main_window->add_simple_graphics(100, 722, 900, 18, panel_style_owner_draw, &font_normal);
}

void build_top_bar() {
    // Left undrawn: the frame style alone draws the black frame around the bar.
    main_window->add_simple_graphics(5, 5, 970, 30, panel_style_black_frame, &font_normal);
    ClassSimpleGraphics* logo =
        main_window->add_simple_graphics(980, 3, 32, 32, panel_style_owner_draw, nullptr);
    if (logo)
        logo->draw_bitmap_resource(bitmap_logo);
    shared.connection_indicator =
        main_window->add_simple_graphics(130, 10, 16, 16, panel_style_owner_draw, nullptr);
    set_connection_indicator(0);
    shared.connection_state_panel = add_text_panel(155, 10, 220, 20, false, "VARDEN disconnected",
                                                   colour_text, colour_background, &font_normal);
    shared.connect_push_button =
        main_window->add_push_button("Connect", connect_button, 390, 8, 120, 24, &font_bold);
}

void build_com_port_box() {
    std::array<TextString, last_port_number> port_names;
    for (int number = first_port_number; number <= last_port_number; ++number)
        port_names[static_cast<std::size_t>(number - first_port_number)] =
            TextString(port_entry_name(number).c_str());
    shared.com_port_box = main_window->add_filled_combo_box(
        10, 7, 80, 570, port_names, 0, com_port_selected, &font_list, combo_style_drop_down_list);
}

void build_tab_row() {
    const int label_x[4] = {28, 273, 513, 753};
    const int label_width[4] = {240, 235, 235, 237};
    for (int at = 0; at < 4; ++at)
        tabs.labels[at] = main_window->add_simple_graphics(label_x[at], 45, label_width[at], 20,
                                                           panel_style_owner_draw, &font_bold);
    for (int spacer_x : {268, 508, 748})
        add_text_panel(spacer_x, 45, 5, 20, false, " ", colour_text, colour_background, &font_bold);
    draw_tabs(page_analysis);

    // Eight empty slots, two under each tab: a click on a tab label falls through to them.
    const std::array<TextString, 8> empty_slots{};
    mode_list = main_window->add_filled_list_box(28, 45, 962, 40, empty_slots, 0, nullptr,
                                                 &font_oem, list_style_multicolumn);
    watch_list(watched_mode_list, mode_list, switch_page);

    // Tab edges: a white left and top edge, a dark right edge and a base piece after it.
    add_line(27, 44, 1, 21, colour_light_edge, 1);
    add_line(27, 44, 241, 1, colour_light_edge, 1);
    add_line(268, 44, 1, 21, colour_dark_edge, 1);
    add_line(268, 65, 5, 1, colour_light_edge, 1);
    add_line(272, 44, 1, 21, colour_light_edge, 1);
    add_line(272, 44, 236, 1, colour_light_edge, 1);
    add_line(508, 44, 1, 21, colour_dark_edge, 1);
    add_line(508, 65, 5, 1, colour_light_edge, 1);
    add_line(512, 44, 1, 21, colour_light_edge, 1);
    add_line(512, 44, 236, 1, colour_light_edge, 1);
    add_line(748, 44, 1, 21, colour_dark_edge, 1);
    add_line(748, 65, 5, 1, colour_light_edge, 1);
    add_line(752, 44, 1, 21, colour_light_edge, 1);
    add_line(752, 44, 238, 1, colour_light_edge, 1);
    add_line(990, 44, 1, 21, colour_dark_edge, 1);
    add_line(990, 65, 22, 1, colour_light_edge, 1);

    // Page frame.
    add_line(1012, 64, 1, 651, colour_dark_edge, 1);
    add_line(5, 714, 1008, 1, colour_dark_edge, 1);
    add_line(5, 65, 1, 648, colour_light_edge, 1);
    add_line(6, 65, 22, 1, colour_light_edge, 1);

    // Tab underlines; the active ANALYSIS tab has none.
    tabs.underlines[0] = add_line(27, 65, 241, 1, colour_light_edge, 1);
    tabs.underlines[1] = add_line(272, 65, 236, 1, colour_light_edge, 1);
    tabs.underlines[2] = add_line(512, 65, 236, 1, colour_light_edge, 1);
    tabs.underlines[3] = add_line(752, 65, 238, 1, colour_light_edge, 1);
    tabs.underlines[0]->show(false);
}

} // namespace

void build_layout() {
    forget_layout();
    build_status_line();
    build_top_bar();
    build_com_port_box();
    build_tab_row();
    // The pages' own controls are built here, page by page, each adding them to its set.
    build_results_page();
    build_analysis_page();
    open_startup_results_file();
    build_database_area();
    // The COLLECT page's transfer buttons come after the database area it shares.
    build_download_button();
    build_upload_button();
    build_sample_request_area();
    build_transfer_progress();

    // The window opens on the ANALYSIS page.
    hide_page(page_session_results);
    show_page(page_analysis);
    hide_page(page_sampling);
    hide_page(page_collect);
    current_mode = page_analysis;
}

void forget_layout() {
    clear_page_sets();
    clear_watched_lists();
    shared = {};
}

void com_port_selected() {
    close_name_edit();
    chosen_port_number = port_number_of_entry(shared.com_port_box->get_text().view());
    select_port(chosen_port_number);
}
