// Rules of the sampling controls that need no window: the side marks of the row being sampled
// and the steps of the MC (correction percentage) button.
#pragma once

#include <string>

// `row` with a blank at each of the four side mark positions (33, 42, 51, 60) it reaches.
std::string clear_side_marks(const std::string& row);

// The percentage after `percent` in the cycle 0, 2, 4, ... 20, 0; -1 for a value outside the
// cycle (an uploaded database may carry any byte), which the button then leaves as it is.
int next_mc_percent(int percent);

// The MC button's label: "MC=" and the percentage.
std::string mc_label(int percent);
