#include "ui/controls.h"

#include "ui/qt_text.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

ClassControl::~ClassControl() {
    delete window;
}

bool ClassControl::take_focus() {
    window->setFocus(Qt::OtherFocusReason);
    return true;
}

void ClassControl::on_command(CommandWord, CommandParam) {}

void ClassControl::on_repaint(CommandWord, CommandParam) {}

void ClassControl::show(bool on) {
    // Hidden with the focus, Qt would hand it on to the next control as if Tab were pressed;
    // the focus is dropped instead, so no list reports gaining it.
    if (!on && window->hasFocus())
        window->clearFocus();
    window->setVisible(on);
    if (on)
        window->repaint();
}

namespace {

// Button and radio button share the click rule: only code 0 runs the callback.
void run_on_click(CommandWord word, ClickCallback callback) {
    if (command_code(word) == notify_clicked && callback)
        callback();
}

} // namespace

void ClassPushButton::set_text(const TextString& text) {
    label = text;
    button->setText(to_qstring(text));
}

void ClassPushButton::on_command(CommandWord word, CommandParam) {
    run_on_click(word, click_callback);
}

void ClassRadioButton::set_text(const TextString& text) {
    label = text;
    button->setText(to_qstring(text));
}

void ClassRadioButton::set_checked() {
    button->setChecked(true);
}

int ClassRadioButton::check_state() const {
    return button->isChecked() ? 1 : 2;
}

void ClassRadioButton::on_command(CommandWord word, CommandParam) {
    run_on_click(word, click_callback);
}

void ClassListBox::set_text(const TextString& new_text) {
    text = new_text;
    if (is_combo && combo->isEditable())
        combo->setEditText(to_qstring(new_text));
}

TextString ClassListBox::get_text() {
    if (is_combo)
        text = from_qstring(combo->currentText(), combo_read_limit);
    return text;
}

int ClassListBox::add_item(const TextString& item) {
    if (is_combo) {
        // A combo box selects its first item by itself; the caller decides what is selected.
        const int selected_before = combo->currentIndex();
        combo->addItem(to_qstring(item));
        if (selected_before < 0)
            combo->setCurrentIndex(-1);
        return combo->count() - 1;
    }
    list->addItem(to_qstring(item));
    return list->count() - 1;
}

int ClassListBox::add_item_selected(const TextString& item) {
    const int index = add_item(item);
    select_index(index);
    text = item;
    return index;
}

void ClassListBox::select_prefix(const TextString& prefix) {
    const QString wanted = to_qstring(prefix);
    for (int index = 0; index < item_count(); ++index) {
        if (item_qstring(index).startsWith(wanted, Qt::CaseInsensitive)) {
            select_index(index);
            return;
        }
    }
}

void ClassListBox::clear_items() {
    if (is_combo)
        combo->clear();
    else
        list->clear();
}

int ClassListBox::fill_items(std::span<const TextString> items, int selected) {
    if (items.empty())
        return -1;
    if (selected < 0 || static_cast<std::size_t>(selected) >= items.size())
        selected = 0;
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (static_cast<int>(index) == selected)
            add_item_selected(items[index]);
        else
            add_item(items[index]);
    }
    return 1;
}

int ClassListBox::item_count() const {
    return is_combo ? combo->count() : list->count();
}

int ClassListBox::highest_selected_index() const {
    if (is_combo)
        return combo->currentIndex();
    int highest = -1;
    for (const QModelIndex& index : list->selectionModel()->selectedIndexes())
        highest = std::max(highest, index.row());
    return highest;
}

int ClassListBox::top_index() const {
    if (is_combo || item_count() == 0)
        return 0;
    const QModelIndex top = list->indexAt(QPoint(0, 0));
    return top.isValid() ? top.row() : 0;
}

QString ClassListBox::item_qstring(int index) const {
    return is_combo ? combo->itemText(index) : list->item(index)->text();
}

TextString ClassListBox::item_text(int index) const {
    if (index < 0 || index >= item_count())
        return TextString();
    const QString item = item_qstring(index);
    return from_qstring(item, item.size());
}

void ClassListBox::select_index(int index) {
    if (index < 0 || index >= item_count())
        index = -1;
    if (is_combo) {
        combo->setCurrentIndex(index);
        return;
    }
    if (index < 0) {
        list->clearSelection();
        return;
    }
    // A list without selection still takes the current row, which scrolls it into view.
    list->setCurrentRow(index);
    list->scrollToItem(list->item(index));
}

int ClassListBox::replace_item(int index, const TextString& item) {
    if (index < 0 || index >= item_count())
        return -1;
    if (is_combo)
        combo->setItemText(index, to_qstring(item));
    else
        list->item(index)->setText(to_qstring(item));
    select_index(index);
    return 1;
}

void ClassListBox::on_command(CommandWord word, CommandParam) {
    switch (command_code(word)) {
    case notify_focus: last_selection = -1; break;
    case notify_combo_selected:
        text = is_combo ? from_qstring(combo->currentText(), combo_selection_limit) : text;
        text_changed = 1;
        if (callback)
            callback();
        break;
    default: break;
    }
}

void ClassEditString::set_text(const TextString& new_text) {
    text = new_text;
    edit->setText(to_qstring(new_text));
    edit->setModified(false);
}

TextString ClassEditString::get_text() {
    text = from_qstring(edit->text(), edit_read_limit);
    edit->setModified(false);
    return text;
}
