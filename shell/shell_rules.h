// Rules of the application shell that need neither a window nor a port: where the window
// goes, what the command line asks for, which page a tab slot means, which port the COM box
// names.
#pragma once

#include "ui/client_area.h"

#include <string_view>

struct WindowOrigin {
    int x;
    int y;
};

// Centred on the screen, 10 pixels above the middle, never off the top-left corner.
WindowOrigin window_origin(int screen_width, int screen_height);

enum class CommandLineRequest { run, help, version, invalid };

// The program takes no arguments but "--help" (or "-h") or "--version".
CommandLineRequest read_command_line(int argc, const char* const* argv);

// The page (1 ANALYSIS .. 4 COLLECT) of a slot of the eight-slot tab row, two slots a tab;
// 0 for any other index.
int page_of_tab_slot(int slot);

// The port number a COM box entry names ("COM7" -> 7, "COM12" -> 12): the decimal digits
// after "COM", at most three; 0 when there are none.
int port_number_of_entry(std::string_view entry);
