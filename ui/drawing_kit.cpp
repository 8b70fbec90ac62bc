#include "ui/drawing_kit.h"

#include "ui/window.h"

QFont font_normal;
QFont font_bold;
QFont font_list;
QFont font_oem;

void create_fonts() {
    font_normal = create_font(400);
    font_bold = create_font(800);
    font_list = create_font(400);
    font_oem = create_font(0);
}

ClassSimpleGraphics* add_line(int x, int y, int width, int height, Colour colour, int pen_width) {
    ClassSimpleGraphics* line =
        main_window->add_simple_graphics(x, y, width, height, panel_style_owner_draw, nullptr);
    if (!line)
        return nullptr;
    line->set_pen(colour, pen_width, pen_style_solid);
    if (line->begin_draw()) {
        line->move_to(0, 0);
        if (width >= height)
            line->line_to(width - 1, 0);
        else
            line->line_to(0, height - 1);
        line->end_draw();
    }
    return line;
}

ClassSimpleGraphics* add_text_panel(int x, int y, int width, int height, bool framed,
                                    const TextString& text, Colour text_colour, Colour back_colour,
                                    const QFont* font) {
    ClassSimpleGraphics* panel = main_window->add_simple_graphics(
        x, y, width, height, framed ? panel_style_black_frame : panel_style_owner_draw, font);
    if (!panel)
        return nullptr;
    if (framed)
        panel->draw_text_framed(text, text_colour, back_colour, text_format_single_line);
    else
        panel->draw_text_filled(text, text_colour, back_colour, text_format_single_line);
    return panel;
}

void show_state_and_button(ClassSimpleGraphics* panel, ClassPushButton* button, const char* text,
                           const char* button_label) {
    if (panel)
        panel->draw_text_filled(text, colour_text, colour_background, text_format_single_line);
    if (button)
        button->set_text(button_label);
}
