#include "database/sampling_page.h"

#include "database/database_area.h"
#include "database/description_file.h"
#include "database/description_page.h"
#include "database/sampling_control.h"
#include "database/table_editor.h"
#include "database/transfer_buttons.h"
#include "files/folder_files.h"
#include "files/typed_names.h"
#include "shell/pages.h"
#include "shell/program_files.h"
#include "shell/program_state.h"
#include "shell/status_line.h"
#include "ui/drawing_kit.h"
#include "ui/simple_graphics.h"
#include "ui/window.h"

#include <vector>

namespace {

struct Header {
    const char* text;
    int x;
    int width;
};

constexpr Header table_headers[] = {
    {"  Num  ", 300, 72},      {"  Name ", 371, 72},   {"  Ext  ", 442, 72},
    {"  Nominal  ", 513, 112}, {"   Side1 ", 624, 92}, {"   Side2 ", 715, 92},
    {"   Side3 ", 806, 92},    {"   Side4 ", 897, 90},
};
constexpr int first_side_header = 4;
constexpr int grid_x[] = {371, 442, 513, 624, 715, 806, 897};
constexpr int side_button_x[side_count] = {630, 721, 812, 903};

// A member of both database pages.
void add_to_database_pages(ClassControl* control, ShownWhen sampling, ShownWhen collect) {
    add_to_page(page_sampling, control, sampling);
    add_to_page(page_collect, control, collect);
}

void add_to_both(ClassControl* control) {
    add_to_database_pages(control, ShownWhen::always, ShownWhen::always);
}

ClassPushButton* add_button(const char* label, ClickCallback handler, int x, int y, int width) {
    return main_window->add_push_button(label, handler, x, y, width, 22, &font_bold);
}

std::vector<TextString> texts_of(const std::vector<std::string>& names) {
    std::vector<TextString> texts;
    for (const std::string& name : names)
        texts.emplace_back(std::string_view(name));
    return texts;
}

void build_file_list() {
    db_file_names = listed_names(list_folder(working_folder), description_extension);
    db_area.db_file_list =
        main_window->add_filled_list_box(15, 160, 265, 350, texts_of(db_file_names), 0, nullptr,
                                         &font_oem, list_style_scroll_always);
    add_to_both(db_area.db_file_list);
    add_to_both(add_text_panel(15, 141, 250, 20, true, "    List of DB files", colour_text,
                               colour_header, &font_normal));
}

void build_sampling_controls() {
    db_area.sampling_indicator =
        main_window->add_simple_graphics(20, 77, 16, 16, panel_style_owner_draw, nullptr);
    set_sampling_indicator(0);
    db_area.sampling_state_panel = add_text_panel(45, 77, 120, 20, false, "Sampling OFF",
                                                  colour_text, colour_background, &font_normal);
    db_area.sampling_button = add_button("Start sampling", toggle_sampling, 175, 77, 160);
    if (db_area.sampling_button)
        db_area.sampling_button->show(false);
    add_to_page(page_sampling, db_area.sampling_indicator);
    add_to_page(page_sampling, db_area.sampling_state_panel);
    add_to_page(page_sampling, db_area.sampling_button, ShownWhen::connected);
}

void build_file_buttons() {
    db_area.new_db_file_button = add_button("New DB file", new_description_file, 15, 110, 130);
    ClassPushButton* save = add_button("Save DB file", save_db_file, 400, 77, 140);
    ClassPushButton* make = add_button("Make DB file", make_db_button, 560, 77, 140);
    db_area.mc_button = add_button("MC=0", cycle_mc, 225, 490, 65);
    ClassPushButton* make_and_download =
        add_button("Make and Download DB", make_and_download_button, 760, 77, 220);
    if (make_and_download)
        make_and_download->show(false);
    for (ClassControl* button :
         {static_cast<ClassControl*>(db_area.new_db_file_button), static_cast<ClassControl*>(save),
          static_cast<ClassControl*>(make)})
        add_to_page(page_sampling, button);
    // Shown by no page: the correction comes with an uploaded database.
    add_to_database_pages(db_area.mc_button, ShownWhen::never, ShownWhen::never);
    add_to_page(page_sampling, make_and_download, ShownWhen::connected);
}

void build_table() {
    for (int at = 0; at < static_cast<int>(std::size(table_headers)); ++at) {
        const Header& header = table_headers[at];
        ClassSimpleGraphics* panel =
            add_text_panel(header.x, 111, header.width, 20, true, header.text, colour_text,
                           colour_header, &font_normal);
        if (at >= first_side_header)
            db_area.side_headers[static_cast<std::size_t>(at - first_side_header)] = panel;
        add_to_both(panel);
    }
    for (int x : grid_x)
        add_to_both(add_line(x, 130, 1, 578, colour_grid, 1));

    load_db_file(0);
    db_area.db_table_list =
        main_window->add_list_box(300, 130, 703, 600, nullptr, &font_oem, list_style_scroll_always);
    fill_database_table();
    // The main loop has not acted on the table yet.
    if (db_area.db_table_list)
        db_area.db_table_list->last_selection = -1;
    add_to_both(db_area.db_table_list);
}

ClassEditString* add_row_edit(int y, int width) {
    ClassEditString* edit = main_window->add_edit_string(95, y, width, 16, "", &font_bold);
    add_to_database_pages(edit, ShownWhen::always, ShownWhen::never);
    return edit;
}

void build_row_edits() {
    db_area.name_edit = add_row_edit(650, 40);
    db_area.ext_edit = add_row_edit(670, 40);
    db_area.nominal_edit = add_row_edit(690, 68);
    show_row_in_edits(0);
    for (const auto& [label, y] : {std::pair{"Name", 649}, {"Ext", 669}, {"Nominal", 689}})
        add_to_database_pages(main_window->add_static_text(15, y, 80, 16, label, 0, &font_normal),
                              ShownWhen::always, ShownWhen::never);

    db_area.db_name_edit = main_window->add_edit_string(15, 110, 250, 22, "", &font_normal);
    if (db_area.db_name_edit)
        db_area.db_name_edit->show(false);
    add_to_page(page_sampling, db_area.db_name_edit, ShownWhen::never);
    set_name_entry(page_sampling, db_area.new_db_file_button, db_area.db_name_edit,
                   &db_name_entry_open);
}

void build_sampling_row_controls() {
    for (int side = 0; side < side_count; ++side) {
        ClassRadioButton* button = main_window->add_radio_button(
            "", on_side_button_clicked, side_button_x[side], 115, 15, 12, nullptr, &font_normal);
        db_area.side_buttons[static_cast<std::size_t>(side)] = button;
        add_to_page(page_sampling, button, ShownWhen::sampling_on);
    }
    if (db_area.side_buttons[0])
        db_area.side_buttons[0]->set_checked();

    shared.last_sample_panel =
        main_window->add_simple_graphics(15, 580, 285, 20, panel_style_owner_draw, &font_normal);
    show_last_sample("");
    db_area.delete_last_sample_button =
        add_button("Delete last sample", delete_last_sample, 15, 610, 200);
    add_to_page(page_sampling, shared.last_sample_panel, ShownWhen::sampling_on);
    add_to_page(page_sampling, db_area.delete_last_sample_button, ShownWhen::sampling_on);

    db_area.accept_push_button = add_button("ACCEPT", accept_button, 15, 550, 80);
    db_area.reject_push_button = add_button("DO NOT ACCEPT", reject_button, 110, 550, 150);
    for (ClassPushButton* button : {db_area.accept_push_button, db_area.reject_push_button}) {
        if (button)
            button->show(false);
    }
}

void build_db_name() {
    add_to_both(add_text_panel(15, 490, 80, 20, false, "DB name:", colour_text, colour_background,
                               &font_normal));
    shared.db_name_panel =
        main_window->add_simple_graphics(100, 490, 120, 20, panel_style_owner_draw, &font_normal);
    add_to_both(shared.db_name_panel);
    show_db_name(db_file_names.empty() ? TextString()
                                       : TextString(std::string_view(db_file_names.front())));
}

// The side headers are repainted around the radio buttons once they are shown.
void repaint_side_headers_when_sampling() {
    if (sampling_on == 1)
        refresh_side_headers();
}

void reset_sampling_state() {
    sampling_row = 0;
    last_sample_name.clear();
    accept_pressed = 0;
    reject_pressed = 0;
    mc_percent = 0;
    db_name_entry_open = 0;
    db_overwrite_candidate.clear();
}

} // namespace

void build_database_area() {
    db_area = {};
    reset_sampling_state();
    build_file_list();
    build_sampling_controls();
    build_file_buttons();
    build_table();
    build_row_edits();
    build_sampling_row_controls();
    build_db_name();

    add_page_shown_handler(page_sampling, repaint_side_headers_when_sampling);
    add_page_shown_handler(page_sampling, reload_database_table);
    add_page_shown_handler(page_collect, reload_database_table);
    set_page_disconnected_handler(page_sampling, stop_sampling);
    set_page_pass_handler(page_sampling, sync_row_edits);
    set_page_key_handler(page_sampling, db_page_key);
}
