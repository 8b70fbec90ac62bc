// Program-wide values of the window program. One thread reads and writes them all.
#pragma once

#include "formats/frames.h"

inline constexpr int first_page = page_analysis;
inline constexpr int last_page = page_collect;

// The page shown now; changed only by switch_page.
extern int current_mode;
// The byte just read from the port (0..255), or -1.
extern int last_byte;
// 1 while the device is in its connected state.
extern int connected;
// 1 while the device is sending samples.
extern int sampling_on;
// The correction percentage of the database in hand: the MC button sets it, an upload takes
// the device's, loading a description file and a download of the images set it to 0.
extern int mc_percent;
