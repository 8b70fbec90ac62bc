// The fixed client area of the main window, in pixels: every control is placed inside it, and
// the window is centred on the screen by it.
#pragma once

inline constexpr int client_width = 1024;
inline constexpr int client_height = 768;
