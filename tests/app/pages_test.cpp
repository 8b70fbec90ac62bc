#include "shell/connection.h"
#include "tests/support/window_fixture.h"

namespace {

int shown_handler_runs = 0;
void count_shown_handler() {
    ++shown_handler_runs;
}

std::vector<int> keys_seen;
bool record_key(int key_code) {
    keys_seen.push_back(key_code);
    return false;
}

int selection_handler_runs = 0;
void count_selection_handler() {
    ++selection_handler_runs;
}

} // namespace

TEST_F(WindowTest, EveryTabSlotSwitchesItsPageAndTellsTheDevice) {
    for (int slot = 0; slot < 8; ++slot) {
        const int page = slot / 2 + 1;
        click_tab_slot(slot);
        EXPECT_EQ(current_mode, page) << slot;
        const auto frames = frames_after(static_cast<std::size_t>(slot + 1));
        ASSERT_EQ(frames.size(), static_cast<std::size_t>(slot + 1));
        EXPECT_EQ(frames.back().code, 9);
        EXPECT_EQ(frames.back().payload, (std::vector<std::uint8_t>{std::uint8_t(page), 0}));
        for (int tab = 0; tab < 4; ++tab) {
            const bool active = tab == page - 1;
            EXPECT_EQ(panel_pixel(tabs.labels[tab], 1, 1),
                      static_cast<long>(active ? colour_background : colour_inactive_tab))
                << "slot " << slot << " tab " << tab;
            EXPECT_EQ(tabs.underlines[tab]->window->isVisible(), !active);
        }
    }
}

TEST_F(WindowTest, OnlyASelectionChangeSwitches) {
    click_tab_slot(4);
    // While the list keeps the focus, looking again runs nothing; the other half of the same
    // tab is a change and switches (to the same page) again.
    watch_lists();
    EXPECT_EQ(frames_after(1).size(), 1u);
    mode_list->select_index(5);
    watch_lists();
    EXPECT_EQ(frames_after(2).size(), 2u);
    // A click on the tab shown, coming from another control, reloads the page and re-sends.
    click_tab_slot(5);
    const auto frames = frames_after(3);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[2].payload, (std::vector<std::uint8_t>{3, 0}));
    EXPECT_EQ(current_mode, page_sampling);
}

TEST_F(WindowTest, PageSetsShowTheirMembersByCondition) {
    ClassPushButton* always =
        main_window->add_push_button("always", nullptr, 15, 80, 100, 22, &font_bold);
    ClassPushButton* device_button =
        main_window->add_push_button("device", nullptr, 15, 110, 100, 22, &font_bold);
    ClassPushButton* sampling_only =
        main_window->add_push_button("sampling", nullptr, 15, 140, 100, 22, &font_bold);
    ClassPushButton* own = main_window->add_push_button("own", nullptr, 15, 170, 100, 22, nullptr);
    for (int page : {page_sampling, page_collect}) {
        add_to_page(page, always);
        add_to_page(page, device_button, ShownWhen::connected);
        add_to_page(page, sampling_only, ShownWhen::sampling_on);
        add_to_page(page, own, ShownWhen::never);
    }
    add_page_shown_handler(page_collect, count_shown_handler);
    shown_handler_runs = 0;

    click_tab_slot(6);
    EXPECT_TRUE(always->window->isVisible());
    EXPECT_FALSE(device_button->window->isVisible());
    EXPECT_FALSE(sampling_only->window->isVisible());
    EXPECT_FALSE(own->window->isVisible());
    EXPECT_EQ(shown_handler_runs, 1);

    // Connecting on the page shows its device buttons and reports the page to the device.
    connect_button();
    EXPECT_TRUE(device_button->window->isVisible());
    EXPECT_EQ(device.frames().back().payload, (std::vector<std::uint8_t>{4, 0}));

    sampling_on = 1;
    click_tab_slot(4);
    EXPECT_EQ(shown_handler_runs, 1);
    EXPECT_TRUE(device_button->window->isVisible());
    EXPECT_TRUE(sampling_only->window->isVisible());
    EXPECT_FALSE(own->window->isVisible());

    // The ANALYSIS page hides them all.
    click_tab_slot(0);
    EXPECT_FALSE(always->window->isVisible());
    EXPECT_FALSE(device_button->window->isVisible());
    EXPECT_FALSE(sampling_only->window->isVisible());

    click_tab_slot(6);
    EXPECT_EQ(shown_handler_runs, 2);
    on_disconnected();
    EXPECT_FALSE(device_button->window->isVisible());
    EXPECT_TRUE(always->window->isVisible());
}

TEST_F(WindowTest, DisconnectOnTheSamplingPageStopsSampling) {
    click_tab_slot(4);
    connect_button();
    ASSERT_EQ(connected, 1);
    ASSERT_EQ(device.command("end-connected"), 1);
    ASSERT_TRUE(run_passes_until([] { return connected == 0; }));
    ASSERT_EQ(frames_after(4).size(), 4u);
    EXPECT_EQ(recorded_codes(), (std::vector<int>{9, 12, 9, 2}));
}

TEST_F(WindowTest, CloseNameEditEndsTheEntryOfTheShownPage) {
    ClassPushButton* open_button =
        main_window->add_push_button("New RES file", nullptr, 15, 80, 150, 22, &font_bold);
    ClassEditString* edit = main_window->add_edit_string(15, 80, 250, 22, "", &font_normal);
    int entry_open = 1;
    set_name_entry(page_session_results, open_button, edit, &entry_open);
    open_button->show(false);
    edit->set_text("night");

    close_name_edit(); // ANALYSIS: no entry
    EXPECT_EQ(entry_open, 1);
    EXPECT_TRUE(equals(edit->get_text(), "night"));

    click_tab_slot(2);
    close_name_edit();
    EXPECT_EQ(entry_open, 0);
    EXPECT_TRUE(open_button->window->isVisible());
    EXPECT_FALSE(edit->window->isVisible());
    EXPECT_TRUE(equals(edit->get_text(), ""));
}

TEST_F(WindowTest, KeysGoToTheShownPageFirst) {
    set_page_key_handler(page_session_results, record_key);
    keys_seen.clear();
    press_key(Qt::Key_Return);
    EXPECT_TRUE(keys_seen.empty());
    click_tab_slot(3);
    press_key(Qt::Key_Return);
    press_key(Qt::Key_Escape);
    press_key(Qt::Key_Space);
    EXPECT_EQ(keys_seen, (std::vector<int>{13, 27, 32}));
}

TEST_F(WindowTest, WatchedListsRunTheirHandlerOnChangeOnly) {
    ClassListBox* list = main_window->add_list_box(15, 160, 265, 350, nullptr, &font_oem, 0);
    watch_list(watched_database_files, list, count_selection_handler);
    selection_handler_runs = 0;
    watch_lists(); // empty list: nothing selected, nothing runs
    EXPECT_EQ(selection_handler_runs, 0);
    list->add_item("first");
    list->add_item_selected("second");
    watch_lists();
    EXPECT_EQ(selection_handler_runs, 1);
    EXPECT_EQ(list->last_selection, 1);
    watch_lists();
    EXPECT_EQ(selection_handler_runs, 1);
    // Gaining the focus forgets the last selection: the same item runs the handler again.
    main_window->dispatch_command(command_word(list->id, notify_focus), 0);
    watch_lists();
    EXPECT_EQ(selection_handler_runs, 2);
    // No selection counts as no change.
    list->select_index(-1);
    watch_lists();
    EXPECT_EQ(selection_handler_runs, 2);
    EXPECT_EQ(list->last_selection, 1);
}

TEST_F(WindowTest, ResultsScrollingMattersBeyondTheVisibleRows) {
    ClassListBox* table =
        main_window->add_list_box(300, 130, 703, 600, nullptr, &font_oem, list_style_no_selection);
    watch_list(watched_results_scrolling, table, count_selection_handler);
    selection_handler_runs = 0;
    const auto fill = [table] {
        for (int row = 0; row < 40; ++row)
            table->add_item(TextString(std::to_string(row).c_str()));
        table->select_index(39); // scrolls the last row into view
        QCoreApplication::processEvents();
    };
    fill();
    const int scrolled_top = table->top_index();
    ASSERT_GT(scrolled_top, 0);
    watch_lists();
    EXPECT_EQ(selection_handler_runs, 1);
    watch_lists();
    EXPECT_EQ(selection_handler_runs, 1);

    // Emptied, the table is back at its top: remembered, but nothing to redraw.
    table->clear_items();
    QCoreApplication::processEvents();
    watch_lists();
    EXPECT_EQ(selection_handler_runs, 1);
    // So scrolling to the same row as before counts as a change again.
    fill();
    ASSERT_EQ(table->top_index(), scrolled_top);
    watch_lists();
    EXPECT_EQ(selection_handler_runs, 2);
}
