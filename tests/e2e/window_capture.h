// Captures of the real window taken with xwd: pixels to check at the layout's coordinates,
// and PNG copies kept as artifacts of the test run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WindowCapture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0xRRGGBB, row by row

    // The pixel at (x, y), or 0xFFFFFFFF outside the capture.
    std::uint32_t at(int x, int y) const;
    // Whether any pixel of the area (x, y, width x height) has `colour`.
    bool shows(int x, int y, int width, int height, std::uint32_t colour) const;
};

// Reads an xwd image of 32 bits a pixel; anything else gives an empty capture.
WindowCapture read_xwd_capture(const std::vector<std::uint8_t>& bytes);

// Captures `window` on `display` with the xwd program `xwd`, through the file `scratch`.
WindowCapture capture_window(const std::string& xwd, const std::string& display,
                             const std::string& window, const std::string& scratch);

// Writes the capture as a PNG file (creating its folder). Returns 1, or 0.
int save_capture_png(const WindowCapture& capture, const std::string& path);
