// What every page draws with: the program's colours and fonts, text panels and decoration
// lines.
#pragma once

#include "ui/colour.h"
#include "ui/text_string.h"

#include <QFont>

class ClassPushButton;
class ClassSimpleGraphics;

inline constexpr Colour colour_background = rgb(200, 200, 200);
inline constexpr Colour colour_inactive_tab = rgb(150, 150, 150);
inline constexpr Colour colour_header = rgb(170, 170, 170);
inline constexpr Colour colour_status_back = rgb(212, 212, 203);
inline constexpr Colour colour_text = rgb(0, 0, 0);
inline constexpr Colour colour_error = rgb(250, 0, 0);
inline constexpr Colour colour_info = rgb(0, 150, 0);
inline constexpr Colour colour_blue = rgb(0, 0, 250);
inline constexpr Colour colour_light_edge = rgb(255, 255, 255);
inline constexpr Colour colour_dark_edge = rgb(100, 100, 100);
inline constexpr Colour colour_grid = rgb(150, 150, 150);

// Most panels, edit fields and static texts.
extern QFont font_normal;
// Push buttons, tab labels, name and number panels.
extern QFont font_bold;
// The COM-port box.
extern QFont font_list;
// Every list box.
extern QFont font_oem;
void create_fonts();

// A decoration line: a panel one line thick with a line of `colour` drawn along its length
// from its top-left corner.
ClassSimpleGraphics* add_line(int x, int y, int width, int height, Colour colour, int pen_width);

// A text panel (filled, or framed like a column header) written once.
ClassSimpleGraphics* add_text_panel(int x, int y, int width, int height, bool framed,
                                    const TextString& text, Colour text_colour, Colour back_colour,
                                    const QFont* font);

// A state panel and the button that changes that state (connection, sampling): the panel's
// text and the button's label always change together. Controls not created are skipped.
void show_state_and_button(ClassSimpleGraphics* panel, ClassPushButton* button, const char* text,
                           const char* button_label);
