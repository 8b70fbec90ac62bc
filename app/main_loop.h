// Start-up, the main loop and the exit sequence of the window program. One thread does
// everything: it polls the port for the first byte of a device message, serves the window
// and watches the lists that do not report their selection changes.
#pragma once

#include "ui/controls.h"

// The lists the main loop watches, in the order it looks at them.
enum WatchedList {
    watched_results_scrolling, // the first visible row of the session-results table
    watched_res_files,
    watched_mode_list,
    watched_database_table,
    watched_database_files,
    watched_list_count,
};

// The session-results table shows this many rows; its scrolling matters only beyond them.
inline constexpr int results_visible_rows = 31;

// Watches `list`: a selection change (its highest selected index differs from its
// last_selection) is stored in last_selection and runs `handler`. For the results table the
// first visible row is watched instead, and `handler` runs only when the table is longer
// than it can show.
void watch_list(WatchedList slot, ClassListBox* list, ClickCallback handler);
void clear_watched_lists();
// One look at every watched list.
void watch_lists();

// Runs start-up up to the shown window: placement, ports, fonts, the seeded random
// generator, the window and its layout. Returns 1, or 0 when the window cannot be made (the
// user has then been told).
int start_program();

// From now on SIGTERM, SIGINT and SIGHUP close the window as the user does, so that the exit
// sequence still tells the device. Returns 1, or 0 when the signals cannot be watched.
int close_on_termination_signals();

// One pass of the loop: the port, the per-page work, the window. With `may_sleep` and
// nothing to do it sleeps until a window event arrives or the port becomes readable.
// Returns 0 once the window was closed.
int main_loop_pass(bool may_sleep);

// Runs passes until the window is closed, then the exit sequence; returns the exit code.
int main_loop();

// Leaves the device's connected and sampling states and destroys the window. Returns 0.
int exit_sequence();

// Lets the window repaint during a long operation; user input waits until it has ended.
void keep_window_drawn();

// A nested loop that waits for the user (the acceptance prompt): serves the window, sleeping
// as the idle main loop does, until `answered` returns true. Bytes the device sends meanwhile
// stay in the driver and wake nothing; keys reach the controls but not the pages' key
// handlers.
void wait_for_user_answer(bool (*answered)());
