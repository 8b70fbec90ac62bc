#include "shell/pages.h"

#include "formats/frames.h"
#include "link/commands.h"
#include "shell/program_state.h"
#include "shell/shell_rules.h"
#include "ui/drawing_kit.h"
#include "ui/simple_graphics.h"

#include <array>
#include <vector>

TabControls tabs{};
ClassListBox* mode_list = nullptr;

namespace {

struct PageMember {
    ClassControl* control;
    ShownWhen when;
};

struct NameEntry {
    ClassControl* open_button = nullptr;
    ClassEditString* edit = nullptr;
    int* entry_open = nullptr;
};

struct PageSet {
    std::vector<PageMember> members;
    std::vector<ClickCallback> shown_handlers;
    ClickCallback disconnected_handler = nullptr;
    ClickCallback pass_handler = nullptr;
    PageKeyHandler key_handler = nullptr;
    NameEntry name_entry;
};

std::array<PageSet, last_page + 1> page_sets;

const char* const tab_texts[4] = {
    "        ANALYSIS        ",
    "     SESSION RESULTS    ",
    "         SAMPLING       ",
    "         COLLECT        ",
};

bool valid_page(int page) {
    return page >= first_page && page <= last_page;
}

bool condition_holds(ShownWhen when) {
    switch (when) {
    case ShownWhen::always: return true;
    case ShownWhen::connected: return connected == 1;
    case ShownWhen::sampling_on: return sampling_on == 1;
    case ShownWhen::never: return false;
    }
    return false;
}

} // namespace

void add_to_page(int page, ClassControl* control, ShownWhen when) {
    if (valid_page(page) && control)
        page_sets[page].members.push_back({control, when});
}

void add_page_shown_handler(int page, ClickCallback handler) {
    if (valid_page(page) && handler)
        page_sets[page].shown_handlers.push_back(handler);
}

void set_page_disconnected_handler(int page, ClickCallback handler) {
    if (valid_page(page))
        page_sets[page].disconnected_handler = handler;
}

void set_page_pass_handler(int page, ClickCallback handler) {
    if (valid_page(page))
        page_sets[page].pass_handler = handler;
}

void set_page_key_handler(int page, PageKeyHandler handler) {
    if (valid_page(page))
        page_sets[page].key_handler = handler;
}

void set_name_entry(int page, ClassControl* open_button, ClassEditString* edit, int* entry_open) {
    if (valid_page(page))
        page_sets[page].name_entry = {open_button, edit, entry_open};
}

void clear_page_sets() {
    page_sets = {};
    tabs = {};
    mode_list = nullptr;
}

void hide_page(int page) {
    if (!valid_page(page))
        return;
    for (const PageMember& member : page_sets[page].members)
        member.control->show(false);
}

void show_page(int page) {
    if (!valid_page(page))
        return;
    for (const PageMember& member : page_sets[page].members) {
        if (condition_holds(member.when))
            member.control->show(true);
    }
    for (ClickCallback handler : page_sets[page].shown_handlers)
        handler();
}

void show_connected_controls(int page, bool on) {
    if (!valid_page(page))
        return;
    for (const PageMember& member : page_sets[page].members) {
        if (member.when == ShownWhen::connected)
            member.control->show(on);
    }
}

void run_page_disconnected(int page) {
    if (valid_page(page) && page_sets[page].disconnected_handler)
        page_sets[page].disconnected_handler();
}

void run_page_pass(int page) {
    if (valid_page(page) && page_sets[page].pass_handler)
        page_sets[page].pass_handler();
}

void run_page_key(int page, int key_code) {
    if (valid_page(page) && page_sets[page].key_handler)
        page_sets[page].key_handler(key_code);
}

void draw_tabs(int active_page) {
    for (int page = first_page; page <= last_page; ++page) {
        const bool active = page == active_page;
        const int at = page - first_page;
        if (tabs.labels[at])
            tabs.labels[at]->draw_text_filled(tab_texts[at], colour_text,
                                              active ? colour_background : colour_inactive_tab,
                                              text_format_single_line);
        // The active tab opens into the page: no line between them.
        if (tabs.underlines[at])
            tabs.underlines[at]->show(!active);
    }
}

void switch_page() {
    const int page = mode_list ? page_of_tab_slot(mode_list->last_selection) : 0;
    if (page != 0) {
        current_mode = page;
        draw_tabs(page);
        for (int other = first_page; other <= last_page; ++other) {
            if (other != page)
                hide_page(other);
        }
        show_page(page);
    }
    send_mode_frame();
}

int send_mode_frame() {
    return send_mode(current_mode);
}

void close_name_edit() {
    if (!valid_page(current_mode))
        return;
    const NameEntry& entry = page_sets[current_mode].name_entry;
    if (entry.open_button)
        entry.open_button->show(true);
    if (entry.edit) {
        entry.edit->show(false);
        entry.edit->set_text("");
    }
    if (entry.entry_open)
        *entry.entry_open = 0;
}
