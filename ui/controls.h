// The control classes of the window program. Each control wraps one Qt widget placed at an
// absolute position inside the main window and carries its control id. Notifications reach a
// control through ClassWindow::dispatch_command as a command word (id in the low 16 bits,
// notification code in the high 16 bits); each class decides in on_command what a code means.
#pragma once

#include "ui/text_string.h"

#include <cstdint>
#include <span>

class QComboBox;
class QFont;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QString;
class QWidget;

// Button handlers and list callbacks are plain functions without arguments.
using ClickCallback = void (*)();

using CommandWord = std::uint32_t;
using CommandParam = std::intptr_t;

// Notification codes carried in the high 16 bits of a command word.
inline constexpr int notify_clicked = 0;        // push or radio button clicked
inline constexpr int notify_focus = 4;          // list gained the focus, combo box lost it
inline constexpr int notify_combo_selected = 9; // combo box selection confirmed

constexpr CommandWord command_word(int id, int code) {
    return (static_cast<CommandWord>(id) & 0xFFFF) | (static_cast<CommandWord>(code) << 16);
}
constexpr int command_id(CommandWord word) {
    return static_cast<int>(word & 0xFFFF);
}
constexpr int command_code(CommandWord word) {
    return static_cast<int>(word >> 16);
}

// Extra styles of list boxes that the layout uses.
inline constexpr int list_style_multicolumn = 0x0200;     // items side by side, one row
inline constexpr int list_style_scroll_always = 0x1000;   // vertical scroll bar always shown
inline constexpr int list_style_no_selection = 0x4000;    // items cannot be selected
inline constexpr int combo_style_drop_down_list = 0x0003; // a combo box without an edit field

// Pixel sizes shared by every list: rows are exactly one font line high, columns of a
// multi-column list 120 pixels wide (eight columns fill the 962-pixel mode selector list).
inline constexpr int list_row_height = 18;
inline constexpr int list_column_width = 120;

// Limits of the texts read back from the widgets and of what a user may type into them.
inline constexpr int edit_read_limit = 79;       // get_text of an edit field
inline constexpr int combo_read_limit = 80;      // get_text of a combo box
inline constexpr int combo_selection_limit = 79; // text taken on a confirmed selection
inline constexpr int edit_max_length = 2048;     // characters a user may type into an edit
inline constexpr int combo_max_length = 4096;

class ClassControl {
public:
    ClassControl() = default;
    ClassControl(const ClassControl&) = delete;
    ClassControl& operator=(const ClassControl&) = delete;
    // Deletes the widget; derived members are released by their own destructors.
    virtual ~ClassControl();

    // Gives the widget the keyboard focus and returns true; panels and static texts refuse.
    virtual bool take_focus();
    virtual void on_command(CommandWord word, CommandParam param);
    virtual void on_repaint(CommandWord word, CommandParam param);

    // on: shown and painted at once; off: hidden. Pages are switched only through this.
    void show(bool on);

    QWidget* window = nullptr; // the wrapped widget, owned by the control
    const QFont* font = nullptr;
    int id = 0;
};

class ClassPushButton : public ClassControl {
public:
    // Relabels the button.
    void set_text(const TextString& text);
    // Code 0 runs the click callback; every other code is ignored.
    void on_command(CommandWord word, CommandParam param) override;

    TextString label;
    ClickCallback click_callback = nullptr;
    QPushButton* button = nullptr; // the widget, as its own class
};

class ClassRadioButton : public ClassControl {
public:
    void set_text(const TextString& text);
    // Checks this button only; the others of the group change when the user clicks one.
    void set_checked();
    // 1 checked, 2 unchecked.
    int check_state() const;
    void on_command(CommandWord word, CommandParam param) override;

    TextString label;
    ClickCallback click_callback = nullptr;
    QRadioButton* button = nullptr; // the widget, as its own class
};

// A list box, or a combo box when is_combo is set. Lists do not report selection changes:
// the main loop polls highest_selected_index() against last_selection.
class ClassListBox : public ClassControl {
public:
    // Stores the text (and shows it in the edit field of an editable combo box).
    void set_text(const TextString& text);
    // Combo box: the shown text, at most 80 characters, also kept in `text`. List: `text`.
    TextString get_text();

    // Appends an item; returns its index.
    int add_item(const TextString& item);
    // Appends an item, selects it and keeps it in `text`; returns its index.
    int add_item_selected(const TextString& item);
    // Selects the first item that begins with `prefix` (letter case ignored); nothing when
    // no item does.
    void select_prefix(const TextString& prefix);
    void clear_items();
    // Adds every item in order and selects items[selected] (the first one when `selected` is
    // out of range). Returns 1, or -1 without adding anything when `items` is empty.
    int fill_items(std::span<const TextString> items, int selected);

    // Polling and row access for the main loop and the pages.
    int item_count() const;
    // The highest selected index, -1 when nothing is selected.
    int highest_selected_index() const;
    // Index of the first visible row (0 for an empty list).
    int top_index() const;
    // The text of item `index`, "" when there is no such item.
    TextString item_text(int index) const;
    // Selects item `index` and scrolls it into view; -1 removes the selection.
    void select_index(int index);
    // Replaces the text of item `index` and selects it again. Returns 1, or -1 when there is
    // no such item.
    int replace_item(int index, const TextString& item);

    // Code 4 resets last_selection to -1; code 9 (combo box) keeps the chosen text (at most
    // 79 characters), sets text_changed and runs the callback.
    void on_command(CommandWord word, CommandParam param) override;

    TextString text;
    ClickCallback callback = nullptr;
    int text_changed = 0;
    int last_selection = -1;
    bool is_combo = false;
    // The widget, as its own class: the list, or the combo box when is_combo is set.
    QListWidget* list = nullptr;
    QComboBox* combo = nullptr;

private:
    // The widget's text of item `index`, which must exist.
    QString item_qstring(int index) const;
};

class ClassEditString : public ClassControl {
public:
    void set_text(const TextString& text);
    // The field's contents, at most 79 characters, also kept in `text`.
    TextString get_text();

    TextString text;
    QLineEdit* edit = nullptr; // the widget, as its own class
};

class ClassStaticText : public ClassControl {
public:
    bool take_focus() override { return false; }
};
