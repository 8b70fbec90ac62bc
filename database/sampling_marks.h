// The steps of the MC (correction percentage) button of the sampling controls.
#pragma once

#include <string>

// The percentage after `percent` in the cycle 0, 2, 4, ... 20, 0; -1 for a value outside the
// cycle (an uploaded database may carry any byte), which the button then leaves as it is.
int next_mc_percent(int percent);

// The MC button's label: "MC=" and the percentage.
std::string mc_label(int percent);
