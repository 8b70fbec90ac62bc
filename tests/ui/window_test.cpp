#include "tests/ui/qt_application.h"
#include "ui/window.h"

#include <QBackingStore>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

int clicks = 0;
void count_click() {
    ++clicks;
}

std::vector<int> keys_seen;
void record_key(int key_code) {
    keys_seen.push_back(key_code);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        qt_application();
        clicks = 0;
        keys_seen.clear();
        ASSERT_TRUE(create_main_window("TEST CLASS", "TEST", 0, 0, client_width, client_height,
                                       rgb(200, 200, 200)));
    }
    void TearDown() override { destroy_main_window(); }

    // Shows the window and waits until it has the focus, so that focus changes are real.
    static void show_active() {
        main_window->window->show();
        main_window->window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main_window->window));
    }

    // What the main loop does for a polled list: run the handler on a changed selection.
    static void poll(ClassListBox* list, int& handler_runs) {
        const int selected = list->highest_selected_index();
        if (selected >= 0 && selected != list->last_selection) {
            list->last_selection = selected;
            ++handler_runs;
        }
    }

    static QListWidget* list_widget(ClassListBox* list) {
        return static_cast<QListWidget*>(list->window);
    }

    // Clicks the centre of list row `row`.
    static void click_row(ClassListBox* list, int row) {
        QListWidget* widget = list_widget(list);
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {},
                          widget->visualItemRect(widget->item(row)).center());
    }

    static std::vector<TextString> texts(std::initializer_list<const char*> items) {
        return std::vector<TextString>(items.begin(), items.end());
    }
};

TEST_F(WindowTest, IdsFollowCreationOrderAndTheTailIdReachesTheLastControl) {
    ClassSimpleGraphics* panel = main_window->add_simple_graphics(0, 0, 10, 10, 13, nullptr);
    ClassListBox* list = main_window->add_list_box(0, 20, 100, 100, nullptr, nullptr, 0);
    ClassEditString* edit = main_window->add_edit_string(0, 130, 50, 20, "", nullptr);
    ClassPushButton* last =
        main_window->add_push_button("Go", count_click, 0, 160, 50, 20, nullptr);
    EXPECT_EQ(panel->id, first_control_id);
    EXPECT_EQ(list->id, 102);
    EXPECT_EQ(edit->id, 103);
    EXPECT_EQ(last->id, 104);

    // one node per control (the first is the head, which started at 100), then the tail
    std::vector<int> node_ids;
    for (ControlNode* node = main_window->controls; node; node = node->next)
        node_ids.push_back(node->id);
    EXPECT_EQ(node_ids, (std::vector<int>{101, 102, 103, 104, 104}));

    EXPECT_EQ(main_window->dispatch_command(command_word(104, notify_clicked), 0), 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(main_window->dispatch_command(command_word(100, notify_clicked), 0), 0);
    EXPECT_EQ(main_window->dispatch_command(command_word(105, notify_clicked), 0), 0);
    EXPECT_EQ(clicks, 1);
}

TEST_F(WindowTest, ButtonsRunTheirCallbackOnlyOnAClick) {
    ClassPushButton* button =
        main_window->add_push_button("Connect", count_click, 10, 10, 120, 24, nullptr);
    main_window->dispatch_command(command_word(button->id, 6), 0); // a focus notification
    EXPECT_EQ(clicks, 0);
    show_active();
    QTest::mouseClick(button->window, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);

    button->set_text("Disconnect");
    EXPECT_EQ(button->label.str(), "Disconnect");
    EXPECT_EQ(static_cast<QPushButton*>(button->window)->text(), "Disconnect");

    ClassPushButton* silent = main_window->add_push_button("x", nullptr, 10, 40, 50, 20, nullptr);
    EXPECT_EQ(main_window->dispatch_command(command_word(silent->id, notify_clicked), 0), 1);
}

TEST_F(WindowTest, RadioButtonsCheckAloneAndUncheckOthersOnlyWhenClicked) {
    std::vector<ClassRadioButton*> sides;
    for (int k = 0; k < 4; ++k)
        sides.push_back(main_window->add_radio_button("", count_click, 630 + 91 * k, 115, 15, 12,
                                                      nullptr, nullptr));
    EXPECT_EQ(sides[0]->check_state(), 2);
    sides[0]->set_checked();
    sides[2]->set_checked();
    EXPECT_EQ(sides[0]->check_state(), 1);
    EXPECT_EQ(sides[2]->check_state(), 1);
    EXPECT_EQ(sides[1]->check_state(), 2);

    show_active();
    QTest::mouseClick(sides[1]->window, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(sides[0]->check_state(), 2);
    EXPECT_EQ(sides[1]->check_state(), 1);
    EXPECT_EQ(sides[2]->check_state(), 2);
}

TEST_F(WindowTest, FillItemsSelectsTheChosenItemOrTheFirst) {
    ClassListBox* list = main_window->add_list_box(0, 0, 200, 200, nullptr, nullptr, 0);
    const std::vector<TextString> names = texts({"A1", "B2", "C3"});

    EXPECT_EQ(list->fill_items({}, 0), -1);
    EXPECT_EQ(list->item_count(), 0);
    EXPECT_EQ(list->highest_selected_index(), -1);

    EXPECT_EQ(list->fill_items(names, 3), 1); // selected == count: the first is taken
    EXPECT_EQ(list->item_count(), 3);
    EXPECT_EQ(list->highest_selected_index(), 0);
    EXPECT_EQ(list->text.str(), "A1");

    list->clear_items();
    EXPECT_EQ(list->item_count(), 0);
    list->clear_items();
    EXPECT_EQ(list->item_count(), 0);

    EXPECT_EQ(list->fill_items(names, -2), 1);
    EXPECT_EQ(list->highest_selected_index(), 0);
    list->clear_items();
    EXPECT_EQ(list->fill_items(names, 2), 1);
    EXPECT_EQ(list->highest_selected_index(), 2);
    EXPECT_EQ(list->text.str(), "C3");
    EXPECT_EQ(list->item_text(1).str(), "B2");
    EXPECT_EQ(list->item_text(3).str(), "");
    EXPECT_EQ(list->item_text(-1).str(), "");
}

TEST_F(WindowTest, ListRowsCanBeFoundReplacedAndScrolledTo) {
    std::vector<TextString> rows;
    for (int k = 0; k < 40; ++k)
        rows.push_back(TextString(("row " + std::to_string(k)).c_str()));
    ClassListBox* list =
        main_window->add_filled_list_box(300, 130, 703, 600, rows, 0, nullptr, nullptr, 0x1000);

    list->select_prefix("ROW 3");
    EXPECT_EQ(list->highest_selected_index(), 3);
    list->select_prefix("nothing");
    EXPECT_EQ(list->highest_selected_index(), 3);

    EXPECT_EQ(list->replace_item(7, "row 7 *"), 1);
    EXPECT_EQ(list->item_text(7).str(), "row 7 *");
    EXPECT_EQ(list->highest_selected_index(), 7);
    EXPECT_EQ(list->replace_item(40, "none"), -1);

    EXPECT_EQ(list->top_index(), 0);
    main_window->window->show();
    list->select_index(39);
    EXPECT_GT(list->top_index(), 0);
    EXPECT_EQ(list->item_text(list->top_index() + 32).str(), "row 39"); // 33 rows of 18 px
    list->select_index(-1);
    EXPECT_EQ(list->highest_selected_index(), -1);
}

TEST_F(WindowTest, ListRowsAreOneFontLineHighAndColumnsSitSideBySide) {
    const QFont list_font = create_font(0);
    EXPECT_EQ(QFontMetrics(list_font).height(), 18);
    EXPECT_EQ(QFontMetrics(create_font(800)).height(), 18);

    ClassListBox* list = main_window->add_filled_list_box(15, 130, 265, 600, texts({"a", "b", "c"}),
                                                          0, nullptr, &list_font, 0x1000);
    ClassListBox* tabs =
        main_window->add_filled_list_box(28, 45, 962, 40, texts({"", "", "", "", "", "", "", ""}),
                                         0, nullptr, &list_font, list_style_multicolumn);
    main_window->window->show();
    QListWidget* rows = list_widget(list);
    EXPECT_EQ(rows->visualItemRect(rows->item(1)).top() - rows->visualItemRect(rows->item(0)).top(),
              list_row_height);
    // A click anywhere on a row selects it.
    EXPECT_EQ(rows->visualItemRect(rows->item(0)).width(), rows->viewport()->width());
    QListWidget* columns = list_widget(tabs);
    for (int k = 0; k < 8; ++k) {
        const QRect cell = columns->visualItemRect(columns->item(k));
        EXPECT_EQ(cell.left(), k * list_column_width) << k;
        EXPECT_EQ(cell.top(), 0) << k;
        EXPECT_EQ(cell.width(), list_column_width) << k;
    }
}

// The style's own painting of the rows, with the rows' height: the rows a list paints itself
// must look exactly like these.
class StylePaintedRows : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), list_row_height);
    }
};

TEST_F(WindowTest, ListRowsLookAsTheStylePaintsThemAlsoWhenPaintedAgain) {
    const QFont list_font = create_font(0);
    const std::string wide(120, 'W');
    ClassListBox* list = main_window->add_filled_list_box(
        15, 130, 400, 200,
        texts({"    1 USD   100 1  12 jgq", "", " Error connection", wide.c_str(), "|_,;'"}), 2,
        nullptr, &list_font, list_style_scroll_always);
    show_active();
    QListWidget* widget = list_widget(list);
    QAbstractItemDelegate* own = widget->itemDelegate();
    auto* style_painted = new StylePaintedRows(widget);
    const QImage first = widget->grab().toImage();
    EXPECT_EQ(widget->grab().toImage(), first); // from the kept layouts
    widget->setItemDelegate(style_painted);
    EXPECT_EQ(widget->grab().toImage(), first);

    widget->setEnabled(false);
    const QImage disabled = widget->grab().toImage();
    widget->setItemDelegate(own);
    EXPECT_EQ(widget->grab().toImage(), disabled);
}

// A list that takes lines repaints only what changed: what the window shows of it must be what
// a fresh painting of the whole list shows, rows and scroll bar alike.
TEST_F(WindowTest, AListThatTakesLinesShowsWhatAFreshPaintingShows) {
    const QFont list_font = create_font(0);
    // One list has its scroll bar always, the other gains it, which narrows its rows.
    ClassListBox* lists[] = {
        main_window->add_list_box(15, 130, 400, 200, nullptr, &list_font, list_style_scroll_always),
        main_window->add_list_box(450, 130, 400, 200, nullptr, &list_font, 0)};
    show_active();
    const auto shown_as_painted = [](ClassListBox* list) {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        // The window's backing store, into which Qt paints what changed.
        QPaintDevice* store = main_window->window->backingStore()->paintDevice();
        if (store->devType() != QInternal::Image)
            return false;
        const QImage shown = static_cast<QImage*>(store)->copy(list_widget(list)->geometry());
        return shown == list_widget(list)->grab().toImage().convertToFormat(shown.format());
    };
    for (ClassListBox* list : lists) {
        int line = 0;
        const auto take_lines = [&](int lines, bool select) {
            for (int k = 0; k < lines; ++k) {
                const std::string text = std::to_string(++line) + " USD 100";
                list->add_item(TextString(std::string_view(text)));
                if (select)
                    list->select_prefix(TextString(std::string_view(text)));
                if (!shown_as_painted(list))
                    return false;
            }
            return true;
        };
        EXPECT_TRUE(take_lines(5, false)); // fewer rows than the list shows
        EXPECT_TRUE(take_lines(30, true)); // the list scrolls, the handle shrinks
        list->clear_items();
        EXPECT_TRUE(shown_as_painted(list));
        EXPECT_TRUE(take_lines(3, false));
    }
    // A line taken together with another change that moves the rows: the whole list is new.
    lists[0]->add_item("moved");
    list_widget(lists[0])->setSpacing(2);
    EXPECT_TRUE(shown_as_painted(lists[0]));
}

TEST_F(WindowTest, ComboSelectionKeepsAtMost79CharactersAndRunsTheCallback) {
    const std::string long_entry(100, 'x');
    ClassListBox* box = main_window->add_filled_combo_box(
        10, 7, 80, 570, texts({"COM1", long_entry.c_str(), "COM3"}), 0, count_click, nullptr,
        combo_style_drop_down_list);
    EXPECT_TRUE(box->is_combo);
    EXPECT_EQ(box->get_text().str(), "COM1");
    EXPECT_EQ(box->text_changed, 0);

    static_cast<QComboBox*>(box->window)->setCurrentIndex(1);
    EXPECT_EQ(clicks, 0); // a selection made by the program is not a user's choice
    EXPECT_EQ(main_window->dispatch_command(command_word(box->id, notify_combo_selected), 0), 1);
    EXPECT_EQ(box->text.str(), std::string(79, 'x'));
    EXPECT_EQ(box->text_changed, 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(box->get_text().str(), std::string(80, 'x'));

    // A user's choice with the keyboard arrives as code 9.
    show_active();
    box->take_focus();
    QTest::keyClick(box->window, Qt::Key_Down);
    EXPECT_EQ(box->text.str(), "COM3");
    EXPECT_EQ(clicks, 2);
}

TEST_F(WindowTest, AddingToAComboDoesNotSelectByItself) {
    ClassListBox* box = main_window->add_filled_combo_box(0, 0, 80, 100, {}, 0, nullptr, nullptr,
                                                          combo_style_drop_down_list);
    EXPECT_EQ(box->add_item("COM1"), 0);
    EXPECT_EQ(box->highest_selected_index(), -1);
    EXPECT_EQ(box->add_item_selected("COM2"), 1);
    EXPECT_EQ(box->highest_selected_index(), 1);
    EXPECT_EQ(box->get_text().str(), "COM2");
}

TEST_F(WindowTest, FocusResetsLastSelection) {
    ClassListBox* list =
        main_window->add_filled_list_box(0, 0, 200, 200, texts({"a", "b"}), 1, nullptr, nullptr, 0);
    ClassListBox* box = main_window->add_filled_combo_box(
        300, 0, 80, 200, texts({"COM1"}), 0, nullptr, nullptr, combo_style_drop_down_list);
    ClassPushButton* button = main_window->add_push_button("b", nullptr, 0, 300, 50, 20, nullptr);
    show_active();
    button->take_focus();
    list->last_selection = 1;
    box->last_selection = 0;

    box->take_focus(); // gaining the focus means nothing to a combo box
    EXPECT_EQ(box->last_selection, 0);
    click_row(list, 1); // ... the combo box loses it, the list gains it from the user
    EXPECT_EQ(box->last_selection, -1);
    EXPECT_EQ(list->last_selection, -1);
}

TEST_F(WindowTest, OnlyFocusTheUserGivesCountsForAList) {
    ClassListBox* first =
        main_window->add_filled_list_box(0, 0, 200, 100, texts({"a", "b"}), 1, nullptr, nullptr, 0);
    ClassPushButton* button = main_window->add_push_button("b", nullptr, 0, 300, 50, 20, nullptr);
    ClassListBox* next =
        main_window->add_filled_list_box(0, 400, 200, 100, texts({"c"}), 0, nullptr, nullptr, 0);
    show_active();
    first->take_focus();
    first->last_selection = 1;
    next->last_selection = 0;

    // The window activated again: the focused list gets the focus back on its own.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    main_window->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main_window->window));
    EXPECT_TRUE(first->window->hasFocus());
    EXPECT_EQ(first->last_selection, 1);

    // A hidden focused control hands the focus to no list.
    button->take_focus();
    button->show(false);
    EXPECT_EQ(next->last_selection, 0);

    // Tab does count.
    first->take_focus();
    QTest::keyClick(first->window, Qt::Key_Tab);
    ASSERT_TRUE(next->window->hasFocus());
    EXPECT_EQ(next->last_selection, -1);
}

TEST_F(WindowTest, TheOneSelectedRowCannotBeTakenAway) {
    ClassListBox* list =
        main_window->add_filled_list_box(0, 0, 200, 100, texts({"a", "b"}), 1, nullptr, nullptr, 0);
    show_active();
    QListWidget* widget = list_widget(list);
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      widget->visualItemRect(widget->item(1)).center());
    EXPECT_EQ(list->highest_selected_index(), 1);
    QTest::keyClick(widget, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(list->highest_selected_index(), 1);
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, QPoint(50, 80)); // below the rows
    EXPECT_EQ(list->highest_selected_index(), 1);
    click_row(list, 0);
    EXPECT_EQ(list->highest_selected_index(), 0);
}

TEST_F(WindowTest, ClickingTheSelectedRowOfAnUnfocusedListRunsItsHandlerOnce) {
    ClassListBox* list = main_window->add_filled_list_box(15, 130, 265, 300, texts({"a", "b", "c"}),
                                                          1, nullptr, nullptr, 0x1000);
    ClassPushButton* button = main_window->add_push_button("b", nullptr, 0, 500, 50, 20, nullptr);
    show_active();
    button->take_focus();
    list->last_selection = 1;
    int handler_runs = 0;

    click_row(list, 1);
    poll(list, handler_runs);
    EXPECT_EQ(handler_runs, 1);
    click_row(list, 1); // the list kept the focus
    poll(list, handler_runs);
    EXPECT_EQ(handler_runs, 1);
    click_row(list, 2);
    poll(list, handler_runs);
    EXPECT_EQ(handler_runs, 2);
    EXPECT_EQ(list->last_selection, 2);
}

TEST_F(WindowTest, PanelsLieOverListsAndLetClicksThrough) {
    // Tab labels are created before the list beneath them, yet are shown over it.
    ClassSimpleGraphics* label = main_window->add_simple_graphics(28, 45, 240, 20, 13, nullptr);
    ClassListBox* tabs =
        main_window->add_filled_list_box(28, 45, 962, 40, texts({"", "", "", "", "", "", "", ""}),
                                         0, nullptr, nullptr, list_style_multicolumn);
    label->draw_text_filled("  ANALYSIS", rgb(0, 0, 0), rgb(150, 150, 150), 32);
    // A button created later lies over an earlier panel.
    ClassSimpleGraphics* frame = main_window->add_simple_graphics(5, 300, 200, 40, 7, nullptr);
    ClassPushButton* button =
        main_window->add_push_button("Connect", count_click, 10, 305, 120, 24, nullptr);
    show_active();

    const QImage screen = main_window->window->grab().toImage();
    EXPECT_EQ(screen.pixelColor(28 + 230, 45 + 10), QColor(150, 150, 150));
    EXPECT_EQ(main_window->window->childAt(40, 310), button->window);
    EXPECT_NE(frame->window, nullptr);

    // Clicks arrive through the window, which picks the control under the pointer.
    QWindow* native = main_window->window->windowHandle();
    QTest::mouseClick(native, Qt::LeftButton, {}, QPoint(28 + 180, 45 + 8));
    EXPECT_EQ(tabs->highest_selected_index(), 1);
    QTest::mouseClick(native, Qt::LeftButton, {}, QPoint(40, 310));
    EXPECT_EQ(clicks, 1);
}

TEST_F(WindowTest, KeyHookSeesEveryKeyPressOnceBeforeTheFocusedControl) {
    ClassEditString* edit = main_window->add_edit_string(15, 80, 250, 22, "", nullptr);
    show_active();
    edit->take_focus();
    main_window->key_hook = record_key;
    QWindow* native = main_window->window->windowHandle();
    QTest::keyClick(native, Qt::Key_A);
    QTest::keyClick(native, Qt::Key_7);
    QTest::keyClick(native, Qt::Key_Space);
    QTest::keyClick(native, Qt::Key_Return);
    QTest::keyClick(native, Qt::Key_Escape);
    QTest::keyClick(native, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(keys_seen, (std::vector<int>{'A', '7', 32, 13, 27, 13}));
    EXPECT_EQ(edit->get_text().str(), "a7 ");

    main_window->key_hook = nullptr;
    QTest::keyClick(native, Qt::Key_B);
    EXPECT_EQ(keys_seen.size(), 6u);
}

TEST_F(WindowTest, EditTextIsReadBackUpTo79Characters) {
    ClassEditString* edit = main_window->add_edit_string(95, 650, 40, 16, "USD", nullptr);
    auto* line = static_cast<QLineEdit*>(edit->window);
    EXPECT_EQ(edit->text.str(), "USD");
    EXPECT_EQ(line->text(), "USD");
    line->setText(QString(100, 'n'));
    line->setModified(true);
    EXPECT_EQ(edit->get_text().str(), std::string(79, 'n'));
    EXPECT_FALSE(line->isModified());
    EXPECT_EQ(edit->text.str(), std::string(79, 'n'));
    line->setText(QString::fromLatin1("\xE4"
                                      "b"));
    EXPECT_EQ(edit->get_text().str(), "\xE4"
                                      "b");
}

TEST_F(WindowTest, StaticTextWithoutSizeTakesTheDefaultBox) {
    ClassStaticText* text = main_window->add_static_text(15, 649, 0, 16, "Name", 0, nullptr);
    EXPECT_EQ(text->window->size(), QSize(1200, 100));
    EXPECT_FALSE(text->take_focus());
    EXPECT_TRUE(text->window->testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST_F(WindowTest, ShowHidesAndShowsEveryKind) {
    ClassListBox* list = main_window->add_list_box(0, 0, 100, 100, nullptr, nullptr, 0);
    ClassSimpleGraphics* panel = main_window->add_simple_graphics(0, 0, 10, 10, 13, nullptr);
    main_window->window->show();
    list->show(false);
    panel->show(false);
    EXPECT_FALSE(list->window->isVisible());
    EXPECT_FALSE(panel->window->isVisible());
    list->show(true);
    panel->show(true);
    EXPECT_TRUE(list->window->isVisible());
    EXPECT_TRUE(panel->window->isVisible());
}

TEST_F(WindowTest, TheWindowIsFixedAndClosingItAsksForTheExit) {
    EXPECT_FALSE(create_main_window("again", "again", 0, 0, 10, 10, 0));
    EXPECT_EQ(main_window->window->minimumSize(), QSize(client_width, client_height));
    EXPECT_EQ(main_window->window->maximumSize(), QSize(client_width, client_height));
    main_window->window->show();
    EXPECT_FALSE(main_window->close_requested);
    main_window->window->close();
    EXPECT_TRUE(main_window->close_requested);
}

} // namespace
