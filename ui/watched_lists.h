// The lists that do not report their selection changes, watched on every pass of the main
// loop: a change runs the handler its page registered.
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
// Once the window is shown: the RES file and mode lists start from their first item and the
// results table from its first visible row, so that only a change runs a handler.
void start_watching_lists();
