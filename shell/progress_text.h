// The text and the filled part of the progress bar of a long transfer. Pure functions.
#pragma once

#include <cstdint>
#include <string>

// "37%  1:05 left": the part done and the time left, estimated from the time the `done` steps
// took; only the part while nothing is done yet. `total` below 1 counts as 1.
std::string progress_text(int done, int total, std::int64_t elapsed_ms);

// How many of `width` pixels the done part fills (0..width).
int progress_fill_width(int done, int total, int width);
