#include "shell/status_line.h"

#include "formats/display_alphabet.h"
#include "link/commands.h"
#include "ui/drawing_kit.h"
#include "ui/simple_graphics.h"

namespace {

TextString display_db_name;

TextString shown_status_text;
Colour shown_status_colour = colour_info;

void write_panel(ClassSimpleGraphics* panel, const TextString& text, Colour text_colour,
                 Colour back_colour) {
    if (panel)
        panel->draw_text_filled(text, text_colour, back_colour, text_format_single_line);
}

void show_status(const TextString& text, Colour text_colour) {
    shown_status_text = text;
    shown_status_colour = text_colour;
    write_panel(shared.status_message_panel, text, text_colour, colour_status_back);
}

} // namespace

void show_status_error(const TextString& text) {
    show_status(text, colour_error);
}

void show_status_info(const TextString& text) {
    show_status(text, colour_info);
}

const TextString& status_text() {
    return shown_status_text;
}

Colour status_colour() {
    return shown_status_colour;
}

void show_command_error(int result) {
    if (const char* text = command_result_text(result))
        show_status_error(text);
}

void show_res_file_name(const TextString& text) {
    write_panel(shared.res_file_name_panel, text, colour_info, colour_background);
}

void show_progress_count(const TextString& text) {
    write_panel(shared.progress_panel, text, colour_blue, colour_background);
}

void show_last_sample(const TextString& text) {
    write_panel(shared.last_sample_panel, text, colour_blue, colour_background);
}

void show_db_name(const TextString& name) {
    display_db_name = TextString(std::string_view(display_db_name_text(name.view())));
    write_panel(shared.db_name_panel, display_db_name, colour_info, colour_background);
}

const TextString& shown_db_name() {
    return display_db_name;
}
