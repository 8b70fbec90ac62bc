// The fixed layout of the main window: the controls that every page shares (status line, top
// bar, COM-port box, tab row, page frame), then every page's own, in creation order. Every
// position is in pixels of the 1024 x 768 client area.
#pragma once

inline constexpr const char* window_class_name = "ORNIVEX VARDEN CONTROL (UART CONNECTION)";
inline constexpr const char* window_title = "ORNIVEX VARDEN CONTROL (UART CONNECTION), VER.01.11";

// The port chosen in the COM-port box (1 at start).
extern int chosen_port_number;

// Builds every control of the window in creation order and leaves the ANALYSIS page shown.
void build_layout();

// Drops every reference to the controls of a destroyed window.
void forget_layout();

// Handler of the COM-port box.
void com_port_selected();
