#include "ui/watched_lists.h"

#include <array>

namespace {

struct Watch {
    ClassListBox* list = nullptr;
    ClickCallback handler = nullptr;
    int remembered_top = 0;
};

std::array<Watch, watched_list_count> watches;

void watch_scrolling(Watch& watch) {
    const int top = watch.list->top_index();
    if (top == watch.remembered_top)
        return;
    if (watch.list->item_count() > results_visible_rows)
        watch.handler();
    watch.remembered_top = top;
}

void watch_selection(Watch& watch) {
    // Nothing selected counts as no change.
    const int selected = watch.list->highest_selected_index();
    if (selected < 0 || selected == watch.list->last_selection)
        return;
    watch.list->last_selection = selected;
    watch.handler();
}

} // namespace

void watch_list(WatchedList slot, ClassListBox* list, ClickCallback handler) {
    if (slot >= 0 && slot < watched_list_count && list && handler)
        watches[slot] = {list, handler, list->top_index()};
}

void clear_watched_lists() {
    watches = {};
}

void watch_lists() {
    for (int slot = 0; slot < watched_list_count; ++slot) {
        Watch& watch = watches[slot];
        if (!watch.list)
            continue;
        if (slot == watched_results_scrolling)
            watch_scrolling(watch);
        else
            watch_selection(watch);
    }
}

void start_watching_lists() {
    for (WatchedList slot : {watched_res_files, watched_mode_list}) {
        if (watches[slot].list)
            watches[slot].list->last_selection = 0;
    }
    Watch& scrolling = watches[watched_results_scrolling];
    if (scrolling.list)
        scrolling.remembered_top = scrolling.list->top_index();
}
