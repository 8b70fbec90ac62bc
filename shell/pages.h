// The four mode pages. Every control of every page exists for the whole run; a page is a set
// of controls shown together. The builders of the pages add their controls to the sets, and
// switching pages hides the other three sets and shows the chosen one.
#pragma once

#include "ui/controls.h"

class ClassSimpleGraphics;

// When a member of a page set is shown with its page. Every member is hidden with it.
enum class ShownWhen {
    always,
    connected,   // only while the device is connected (device transfer buttons)
    sampling_on, // only while sampling is on
    never,       // shown by its own owner only (entry fields, the sample-file panel, ...)
};

// Adds `control` to the set of `page` (1..4). A control may belong to several pages.
void add_to_page(int page, ClassControl* control, ShownWhen when = ShownWhen::always);

// Work that showing a page does after its controls are shown (reloading what it displays).
void add_page_shown_handler(int page, ClickCallback handler);

// Called when the device leaves its connected state while `page` is shown, before the page's
// connection-dependent controls are hidden.
void set_page_disconnected_handler(int page, ClickCallback handler);

// Called on every pass of the main loop while `page` is shown.
void set_page_pass_handler(int page, ClickCallback handler);

// Called with the key code of every key press while `page` is shown, before the focused
// control handles the key. The result is not used.
using PageKeyHandler = bool (*)(int key_code);
void set_page_key_handler(int page, PageKeyHandler handler);

// The in-place name entry of a page: the button that opens it, the edit field and the flag
// that is 1 while the entry is open.
void set_name_entry(int page, ClassControl* open_button, ClassEditString* edit, int* entry_open);

// Forgets every set and handler (a new layout is being built).
void clear_page_sets();

void hide_page(int page);
// Shows the members whose condition holds, then runs the page's shown handlers.
void show_page(int page);
// Shows (on) or hides the members of `page` that depend on the connection.
void show_connected_controls(int page, bool on);

void run_page_disconnected(int page);
void run_page_pass(int page);
void run_page_key(int page, int key_code);

// The tab row: four labels over the eight-slot mode selector list, with white underlines
// that an active tab hides. The layout creates them; switch_page redraws them.
struct TabControls {
    ClassSimpleGraphics* labels[4];
    ClassSimpleGraphics* underlines[4];
};
extern TabControls tabs;
extern ClassListBox* mode_list;

// Draws the tab of `page` as active and the other three as inactive.
void draw_tabs(int active_page);

// Shows the page of the mode list's last_selection and tells the device with the mode frame;
// the frame is sent on every call, also when the slot names no page.
void switch_page();

// Sends command 9 with the payload [current_mode, 0]; returns the device's result.
int send_mode_frame();

// Ends an open name entry of the SESSION RESULTS or SAMPLING page.
void close_name_edit();
