// The progress bar of a long transfer (download, upload, make): the part done and the time
// left, in the right-hand part of the status line where no status text reaches. It is drawn
// at once, like the status texts, also while the event loop does not run.
#pragma once

#include "shell/shared_controls.h"

#include <string>

void build_transfer_progress();

// Shows `done` of `total` steps. The time left counts from the first call of a transfer
// (the bar hidden, or fewer steps done than before, or another total).
void show_transfer_progress(int done, int total);
// Hides the bar: the transfer has ended, whichever way.
void end_transfer_progress();
// The text the bar shows ("37%  1:05 left"), empty while it is hidden.
const std::string& transfer_progress_text();
