// The application window: one fixed 1024 x 768 client area holding every control at an
// absolute position, the control list that gives each control its id, and the routing of
// notifications to the controls. The program has exactly one, reached through main_window.
#pragma once

#include "ui/client_area.h"
#include "ui/colour.h"
#include "ui/controls.h"
#include "ui/simple_graphics.h"
#include "ui/text_string.h"

#include <QFont>
#include <QWidget>
#include <span>

inline constexpr int first_control_id = 101;

// Key codes handed to the key hook (the window system's virtual key codes).
inline constexpr int key_enter = 13;
inline constexpr int key_escape = 27;
inline constexpr int key_space = 32;

// Called with the key code of every key press in the window before the focused control
// handles it; letters arrive as 'A'..'Z', digits as '0'..'9'.
using KeyHook = void (*)(int key_code);

// One node of the control list. The list always ends in an empty tail node that repeats the
// last id given; the head starts with id 100 and no control.
struct ControlNode {
    ClassControl* control = nullptr;
    int id = 0;
    ControlNode* next = nullptr;
};

class ClassWindow {
public:
    ClassWindow(QWidget* window, const TextString& class_name);
    ClassWindow(const ClassWindow&) = delete;
    ClassWindow& operator=(const ClassWindow&) = delete;
    // Deletes every control in list order, then the window.
    ~ClassWindow();

    // Creators: each control takes the next id (101, 102, ... in creation order) and a widget
    // at (x, y) of width x height. Later controls lie above earlier ones, except list boxes,
    // which lie beneath everything created before them (grid lines and tab labels are
    // drawn over the lists). A null font keeps the widget's default font.
    ClassPushButton* add_push_button(const TextString& label, ClickCallback on_click, int x, int y,
                                     int width, int height, const QFont* font);
    // With a parent control the button is placed inside that control's widget.
    ClassRadioButton* add_radio_button(const TextString& label, ClickCallback on_click, int x,
                                       int y, int width, int height, ClassControl* parent,
                                       const QFont* font);
    ClassListBox* add_list_box(int x, int y, int width, int height, ClickCallback callback,
                               const QFont* font, int extra_style);
    ClassListBox* add_filled_list_box(int x, int y, int width, int height,
                                      std::span<const TextString> items, int selected,
                                      ClickCallback callback, const QFont* font, int extra_style);
    // `height` includes the drop-down part; the closed box is one row high.
    ClassListBox* add_filled_combo_box(int x, int y, int width, int height,
                                       std::span<const TextString> items, int selected,
                                       ClickCallback callback, const QFont* font, int extra_style);
    ClassEditString* add_edit_string(int x, int y, int width, int height,
                                     const TextString& initial_text, const QFont* font);
    // A width or height of 0 makes the text 1200 x 100.
    ClassStaticText* add_static_text(int x, int y, int width, int height, const TextString& text,
                                     int extra_style, const QFont* font);
    ClassSimpleGraphics* add_simple_graphics(int x, int y, int width, int height, int extra_style,
                                             const QFont* font);

    // Routes a notification to the control whose id is in the low 16 bits of `word`. Returns
    // 1 when a control took it, 0 when no control has that id.
    int dispatch_command(CommandWord word, CommandParam param);
    // on_repaint on every control in creation order.
    void broadcast_repaint(CommandWord word, CommandParam param);

    QWidget* window;
    TextString class_name;
    ControlNode* controls;
    KeyHook key_hook = nullptr;
    // Set when the user closed the window; the main loop then runs the exit sequence.
    bool close_requested = false;

private:
    // Appends the control to the list and gives it its id.
    void append_control(ClassControl* control);
    // Gives the control its widget at (x, y), width x height, with the font, shown.
    void place(ClassControl* control, QWidget* widget, int x, int y, int width, int height,
               const QFont* font);
    ClassListBox* add_list(bool combo, int x, int y, int width, int height, ClickCallback callback,
                           const QFont* font, int extra_style);
};

// The one application window, null before create_main_window and after destroy_main_window.
extern ClassWindow* main_window;

// Creates the top-level window with a fixed client area of width x height at (x, y), not
// resizable, filled with `background`, and the ClassWindow in main_window. Returns true, or
// false when a window already exists. A QApplication must exist.
bool create_main_window(const TextString& class_name, const TextString& title, int x, int y,
                        int width, int height, Colour background);
// Deletes main_window and every control.
void destroy_main_window();

// The program's fixed-pitch font: "Courier New" (or Liberation Mono, which has its metrics,
// where it is missing) at the pixel size whose line height is 18 pixels. Weight 400 normal,
// 800 extra bold, 0 the default weight.
QFont create_font(int weight);
