// The fixed layout of the main window: fonts, colours, and the controls that every page
// shares (status line, top bar, COM-port box, tab row, page frame). Every position is in
// pixels of the 1024 x 768 client area.
#pragma once

#include "ui/colour.h"
#include "ui/text_string.h"

#include <QFont>

class ClassListBox;
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

inline constexpr const char* window_class_name = "ORNIVEX VARDEN CONTROL (UART CONNECTION)";
inline constexpr const char* window_title = "ORNIVEX VARDEN CONTROL (UART CONNECTION), VER.01.11";

// Most panels, edit fields and static texts.
extern QFont font_normal;
// Push buttons, tab labels, name and number panels.
extern QFont font_bold;
// The COM-port box.
extern QFont font_list;
// Every list box.
extern QFont font_oem;
void create_fonts();

// The port chosen in the COM-port box (1 at start).
extern int chosen_port_number;
extern ClassListBox* com_port_box;

// A decoration line: a panel one line thick with a line of `colour` drawn along its length
// from its top-left corner.
ClassSimpleGraphics* add_line(int x, int y, int width, int height, Colour colour, int pen_width);

// A text panel (filled, or framed like a column header) written once.
ClassSimpleGraphics* add_text_panel(int x, int y, int width, int height, bool framed,
                                    const TextString& text, Colour text_colour, Colour back_colour,
                                    const QFont* font);

// Builds every control of the window in creation order and leaves the ANALYSIS page shown.
void build_layout();

// Drops every reference to the controls of a destroyed window.
void forget_layout();

// Handler of the COM-port box.
void com_port_selected();
