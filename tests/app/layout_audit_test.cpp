// The whole window as built at start-up, control by control: class, place and size in
// creation order (which gives the ids), what each control holds, and which controls each
// page shows.
#include "analysis/dump_analysis.h"
#include "database/database_area.h"
#include "formats/dump_file.h"
#include "shell/connection.h"
#include "tests/support/window_fixture.h"

#include <QComboBox>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

enum class Kind { panel, push_button, radio_button, list_box, combo_box, edit, static_text };

const char* kind_name(Kind kind) {
    switch (kind) {
    case Kind::panel: return "panel";
    case Kind::push_button: return "push button";
    case Kind::radio_button: return "radio button";
    case Kind::list_box: return "list box";
    case Kind::combo_box: return "combo box";
    case Kind::edit: return "edit";
    case Kind::static_text: return "static text";
    }
    return "?";
}

Kind kind_of(ClassControl* control) {
    if (dynamic_cast<ClassPushButton*>(control))
        return Kind::push_button;
    if (dynamic_cast<ClassRadioButton*>(control))
        return Kind::radio_button;
    if (auto* list = dynamic_cast<ClassListBox*>(control))
        return list->is_combo ? Kind::combo_box : Kind::list_box;
    if (dynamic_cast<ClassEditString*>(control))
        return Kind::edit;
    if (dynamic_cast<ClassStaticText*>(control))
        return Kind::static_text;
    return Kind::panel;
}

// Where a control is shown: on every page, or on the pages of the mask (bit page - 1).
constexpr unsigned every_page = 0xF;
constexpr unsigned on_analysis = 1, on_results = 2, on_sampling = 4, on_collect = 8;
constexpr unsigned on_database_pages = on_sampling | on_collect;

struct Expected {
    Kind kind;
    int x, y, width, height;
    unsigned pages; // 0: shown by no page (hidden, or shown only by its owner)
    const char* what;
};

// The inventory in build order, with the pages that show each control while the device is
// not connected and sampling is off.
std::vector<Expected> expected_inventory() {
    std::vector<Expected> all;
    const auto panel = [&](int x, int y, int w, int h, unsigned pages, const char* what) {
        all.push_back({Kind::panel, x, y, w, h, pages, what});
    };
    const auto button = [&](int x, int y, int w, int h, unsigned pages, const char* what) {
        all.push_back({Kind::push_button, x, y, w, h, pages, what});
    };
    const auto rows_of_lines = [&](int x, int width, int height, unsigned pages, const char* what) {
        for (int row = 0; row < 31; ++row)
            panel(x, 148 + 18 * row, width, height, pages, what);
    };

    // Status line, top bar, COM-port box.
    panel(5, 721, 1007, 20, every_page, "status label");
    panel(100, 722, 900, 18, every_page, "status message");
    panel(5, 5, 970, 30, every_page, "top bar frame");
    panel(980, 3, 32, 32, every_page, "logo");
    panel(130, 10, 16, 16, every_page, "connection indicator");
    panel(155, 10, 220, 20, every_page, "connection state");
    button(390, 8, 120, 24, every_page, "Connect");
    all.push_back({Kind::combo_box, 10, 7, 80, 570, every_page, "COM-port box"});

    // Tabs.
    panel(28, 45, 240, 20, every_page, "ANALYSIS tab");
    panel(273, 45, 235, 20, every_page, "SESSION RESULTS tab");
    panel(513, 45, 235, 20, every_page, "SAMPLING tab");
    panel(753, 45, 237, 20, every_page, "COLLECT tab");
    for (int x : {268, 508, 748})
        panel(x, 45, 5, 20, every_page, "tab spacer");
    all.push_back({Kind::list_box, 28, 45, 962, 40, every_page, "mode selector list"});
    const int edge_x[4] = {27, 272, 512, 752}, edge_width[4] = {241, 236, 236, 238};
    const int right_x[4] = {268, 508, 748, 990}, base_width[4] = {5, 5, 5, 22};
    for (int tab = 0; tab < 4; ++tab) {
        panel(edge_x[tab], 44, 1, 21, every_page, "tab left edge");
        panel(edge_x[tab], 44, edge_width[tab], 1, every_page, "tab top edge");
        panel(right_x[tab], 44, 1, 21, every_page, "tab right edge");
        panel(right_x[tab], 65, base_width[tab], 1, every_page, "tab base piece");
    }
    panel(1012, 64, 1, 651, every_page, "page frame right");
    panel(5, 714, 1008, 1, every_page, "page frame bottom");
    panel(5, 65, 1, 648, every_page, "page frame left");
    panel(6, 65, 22, 1, every_page, "page frame base");
    // Each underline shows while its tab is inactive.
    for (int tab = 0; tab < 4; ++tab)
        panel(edge_x[tab], 65, edge_width[tab], 1, every_page & ~(1u << tab), "tab underline");

    // SESSION RESULTS.
    const int results_header_x[6] = {300, 371, 502, 633, 752, 859};
    const int results_header_width[6] = {72, 132, 132, 120, 108, 128};
    for (int at = 0; at < 6; ++at)
        panel(results_header_x[at], 111, results_header_width[at], 20, on_results,
              "results header");
    for (int x : {371, 502, 633, 752, 859, 986})
        panel(x, 130, 1, 578, on_results, "results grid vertical");
    rows_of_lines(633, 353, 1, on_results, "results grid horizontal");
    rows_of_lines(300, 686, 2, 0, "block rule");
    // The results page rules its empty rows: with no lines, every thin rule shows.
    rows_of_lines(300, 686, 1, on_results | on_database_pages, "thin row rule");
    all.push_back({Kind::list_box, 300, 130, 703, 600, on_results, "results list"});
    panel(15, 111, 250, 20, on_results, "RES files header");
    all.push_back({Kind::list_box, 15, 130, 265, 600, on_results, "RES file list"});
    button(15, 80, 150, 22, on_results, "New RES file");
    panel(400, 90, 230, 20, on_results, "Current RES file name label");
    panel(630, 90, 350, 20, on_results, "RES name panel");
    all.push_back({Kind::edit, 15, 80, 250, 22, 0, "RES name edit"});

    // ANALYSIS.
    const int analysis_header_x[14] = {15,  88,  188, 268, 328, 398, 468,
                                       538, 608, 658, 728, 798, 868, 918};
    const int analysis_header_width[14] = {74, 101, 81, 61, 71, 71, 71, 71, 51, 71, 71, 71, 51, 71};
    for (int at = 0; at < 14; ++at)
        panel(analysis_header_x[at], 111, analysis_header_width[at], 20, on_analysis,
              "analysis header");
    for (int x : {88, 188, 268, 328, 398, 468, 538, 608, 658, 728, 798, 868, 918})
        panel(x, 130, 1, 578, on_analysis, "analysis grid vertical");
    rows_of_lines(15, 973, 1, on_analysis, "analysis grid horizontal");
    panel(400, 90, 230, 20, on_analysis, "Max bin file number label");
    panel(630, 90, 350, 20, on_analysis, "maximum number panel");
    panel(20, 90, 50, 20, on_analysis, "progress panel");
    all.push_back({Kind::list_box, 15, 130, 990, 600, on_analysis, "analysis list"});

    // SAMPLING and COLLECT.
    all.push_back({Kind::list_box, 15, 160, 265, 350, on_database_pages, "DB file list"});
    panel(15, 141, 250, 20, on_database_pages, "DB files header");
    panel(20, 77, 16, 16, on_sampling, "sampling indicator");
    panel(45, 77, 120, 20, on_sampling, "sampling state");
    button(175, 77, 160, 22, 0, "Start sampling");
    button(15, 110, 130, 22, on_sampling, "New DB file");
    button(400, 77, 140, 22, on_sampling, "Save DB file");
    button(560, 77, 140, 22, on_sampling, "Make DB file");
    button(225, 490, 65, 22, 0, "MC=0");
    button(760, 77, 220, 22, 0, "Make and Download DB");
    const int db_header_x[8] = {300, 371, 442, 513, 624, 715, 806, 897};
    const int db_header_width[8] = {72, 72, 72, 112, 92, 92, 92, 90};
    for (int at = 0; at < 8; ++at)
        panel(db_header_x[at], 111, db_header_width[at], 20, on_database_pages, "database header");
    for (int x : {371, 442, 513, 624, 715, 806, 897})
        panel(x, 130, 1, 578, on_database_pages, "database grid vertical");
    all.push_back({Kind::list_box, 300, 130, 703, 600, on_database_pages, "database table"});
    all.push_back({Kind::edit, 95, 650, 40, 16, on_sampling, "name edit"});
    all.push_back({Kind::edit, 95, 670, 40, 16, on_sampling, "extension edit"});
    all.push_back({Kind::edit, 95, 690, 68, 16, on_sampling, "nominal edit"});
    for (int y : {649, 669, 689})
        all.push_back({Kind::static_text, 15, y, 80, 16, on_sampling, "row edit label"});
    all.push_back({Kind::edit, 15, 110, 250, 22, 0, "DB name edit"});
    for (int x : {630, 721, 812, 903})
        all.push_back({Kind::radio_button, x, 115, 15, 12, 0, "side radio button"});
    panel(15, 580, 285, 20, 0, "last-sample panel");
    button(15, 610, 200, 22, 0, "Delete last sample");
    button(15, 550, 80, 22, 0, "ACCEPT");
    button(110, 550, 150, 22, 0, "DO NOT ACCEPT");
    panel(15, 490, 80, 20, on_database_pages, "DB name label");
    panel(100, 490, 120, 20, on_database_pages, "DB name panel");
    button(15, 80, 260, 22, 0, "Download DB to VARDEN");
    button(15, 110, 260, 22, 0, "Upload DB from VARDEN");
    panel(120, 90, 250, 20, 0, "sample-file panel");
    panel(810, 722, 186, 18, 0, "transfer progress bar");
    return all;
}

std::vector<ClassControl*> controls_in_list_order() {
    std::vector<ClassControl*> controls;
    for (ControlNode* node = main_window->controls; node; node = node->next) {
        if (node->control)
            controls.push_back(node->control);
    }
    return controls;
}

// The place of a control in the client area (a closed combo box is as high as its
// drop-down part was asked to be: only its top, left and width are compared).
QRect place_of(ClassControl* control) {
    const QPoint origin = control->window->mapTo(main_window->window, QPoint(0, 0));
    return QRect(origin, control->window->size());
}

// Differences between what is visible now and what `page` should show (flagged by the
// conditions that the tests switch).
std::string visibility_differences(int page, const std::set<std::string>& also_shown = {}) {
    const std::vector<Expected> expected = expected_inventory();
    const std::vector<ClassControl*> controls = controls_in_list_order();
    std::ostringstream differences;
    for (std::size_t at = 0; at < expected.size() && at < controls.size(); ++at) {
        const bool should =
            (expected[at].pages >> (page - 1) & 1) != 0 || also_shown.count(expected[at].what) != 0;
        if (controls[at]->window->isVisible() != should)
            differences << "page " << page << ": " << expected[at].what << " (id "
                        << controls[at]->id << ") is " << (should ? "hidden" : "shown") << "\n";
    }
    return differences.str();
}

std::string label_of(ClassControl* control) {
    if (auto* button = dynamic_cast<ClassPushButton*>(control))
        return button->label.c_str();
    return {};
}

} // namespace

TEST_F(WindowTest, EveryControlHasItsClassPlaceAndIdInBuildOrder) {
    const std::vector<Expected> expected = expected_inventory();
    const std::vector<ClassControl*> controls = controls_in_list_order();
    ASSERT_EQ(controls.size(), expected.size());

    std::map<Kind, int> counts;
    for (std::size_t at = 0; at < controls.size(); ++at) {
        ClassControl* control = controls[at];
        const Expected& want = expected[at];
        ++counts[kind_of(control)];
        EXPECT_EQ(control->id, first_control_id + static_cast<int>(at)) << want.what;
        EXPECT_EQ(kind_of(control), want.kind)
            << "id " << control->id << " " << want.what << " is a " << kind_name(kind_of(control));
        const QRect place = place_of(control);
        const QRect wanted(want.x, want.y, want.width, want.height);
        if (want.kind == Kind::combo_box)
            EXPECT_EQ(QRect(place.topLeft(), QSize(place.width(), 1)),
                      QRect(wanted.topLeft(), QSize(wanted.width(), 1)))
                << want.what;
        else
            EXPECT_EQ(place, wanted) << "id " << control->id << " " << want.what;
    }
    EXPECT_EQ(counts[Kind::push_button], 13);
    EXPECT_EQ(counts[Kind::radio_button], 4);
    EXPECT_EQ(counts[Kind::list_box], 6);
    EXPECT_EQ(counts[Kind::combo_box], 1);
    EXPECT_EQ(counts[Kind::edit], 5);
    EXPECT_EQ(counts[Kind::static_text], 3);
    EXPECT_EQ(counts[Kind::panel], 229);
    // The status label is the first control and the transfer progress bar the last.
    EXPECT_EQ(controls.front()->id, 101);
}

TEST_F(WindowTest, ControlsHoldTheirStartUpContents) {
    const std::vector<ClassControl*> controls = controls_in_list_order();
    const std::vector<Expected> expected = expected_inventory();
    ASSERT_EQ(controls.size(), expected.size());
    const auto find = [&](const char* what, int nth = 0) -> ClassControl* {
        for (std::size_t at = 0; at < expected.size(); ++at)
            if (std::string(expected[at].what) == what && nth-- == 0)
                return controls[at];
        return nullptr;
    };

    // Button labels.
    const std::vector<std::string> labels = {"Connect",
                                             "New RES file",
                                             "Start sampling",
                                             "New DB file",
                                             "Save DB file",
                                             "Make DB file",
                                             "MC=0",
                                             "Make and Download DB",
                                             "Delete last sample",
                                             "ACCEPT",
                                             "DO NOT ACCEPT",
                                             "Download DB to VARDEN",
                                             "Upload DB from VARDEN"};
    std::vector<std::string> seen;
    for (ClassControl* control : controls)
        if (!label_of(control).empty())
            seen.push_back(label_of(control));
    EXPECT_EQ(seen, labels);

    // The COM-port box holds COM1 .. COM30 with COM1 chosen.
    auto* box = dynamic_cast<QComboBox*>(shared.com_port_box->window);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->count(), 30);
    EXPECT_EQ(box->itemText(0), "COM1");
    EXPECT_EQ(box->itemText(29), "COM30");
    EXPECT_EQ(shared.com_port_box->get_text(), TextString("COM1"));

    // Eight empty tab slots, the first selected.
    EXPECT_EQ(mode_list->item_count(), 8);
    EXPECT_EQ(mode_list->item_text(0), TextString(""));
    EXPECT_EQ(mode_list->highest_selected_index(), 0);

    // The database table holds 120 rows, row 0 selected; the first side button is checked.
    EXPECT_EQ(db_area.db_table_list->item_count(), 120);
    EXPECT_EQ(db_area.db_table_list->highest_selected_index(), 0);
    auto* first_side = dynamic_cast<ClassRadioButton*>(find("side radio button"));
    ASSERT_NE(first_side, nullptr);
    EXPECT_EQ(first_side->check_state(), 1);
    EXPECT_EQ(dynamic_cast<ClassRadioButton*>(find("side radio button", 1))->check_state(), 2);
    for (int at = 0; at < 3; ++at) {
        auto* label = dynamic_cast<ClassStaticText*>(find("row edit label", at));
        ASSERT_NE(label, nullptr);
    }
    EXPECT_EQ(dynamic_cast<ClassEditString*>(find("RES name edit"))->get_text(), TextString(""));
    EXPECT_EQ(dynamic_cast<ClassEditString*>(find("DB name edit"))->get_text(), TextString(""));

    // Panel colours: the status label's back, a header cell, the red "not connected"
    // indicator, the green maximum number and the blue sample-file name.
    const auto graphics = [&](const char* what) {
        return dynamic_cast<ClassSimpleGraphics*>(find(what));
    };
    EXPECT_EQ(panel_pixel(graphics("status label"), 30, 10), long(colour_status_back));
    EXPECT_EQ(panel_pixel(graphics("results header"), 60, 3), long(colour_header));
    EXPECT_EQ(panel_pixel(graphics("connection state"), 200, 10), long(colour_background));
    EXPECT_FALSE(panel_shows_colour(graphics("connection indicator"), rgb(0, 128, 0)));
    EXPECT_TRUE(panel_shows_colour(graphics("maximum number panel"), colour_info));
    EXPECT_TRUE(panel_shows_colour(graphics("sample-file panel"), colour_blue));
    EXPECT_TRUE(panel_shows_colour(graphics("sampling state"), colour_text));
    EXPECT_EQ(panel_pixel(graphics("tab underline"), 10, 0), long(colour_light_edge));
    EXPECT_EQ(panel_pixel(graphics("page frame right"), 0, 100), long(colour_dark_edge));
    EXPECT_EQ(panel_pixel(graphics("results grid vertical"), 0, 100), long(colour_grid));
    EXPECT_EQ(panel_pixel(graphics("block rule"), 100, 1), long(colour_text));
    EXPECT_EQ(panel_pixel(graphics("thin row rule"), 100, 0), long(colour_grid));
}

TEST_F(WindowTest, StartUpShowsOnlyTheAnalysisPageAndEveryPageItsOwnSet) {
    EXPECT_EQ(current_mode, page_analysis);
    EXPECT_EQ(visibility_differences(page_analysis), "");
    // Left or right half of each tab, in an order that passes every page from every other.
    for (int slot : {2, 5, 7, 0, 6, 3, 4, 1, 3, 7, 4, 0}) {
        click_tab_slot(slot);
        ASSERT_EQ(current_mode, slot / 2 + 1);
        EXPECT_EQ(visibility_differences(current_mode), "") << "slot " << slot;
    }
}

TEST_F(WindowTest, ConnectedAndSamplingPagesShowTheirExtraControls) {
    connect_button();
    ASSERT_EQ(connected, 1);
    click_tab_slot(4);
    EXPECT_EQ(visibility_differences(page_sampling, {"Start sampling", "Make and Download DB"}),
              "");
    click_tab_slot(6);
    EXPECT_EQ(
        visibility_differences(page_collect, {"Download DB to VARDEN", "Upload DB from VARDEN"}),
        "");
    click_tab_slot(0);
    EXPECT_EQ(visibility_differences(page_analysis), "");

    sampling_on = 1;
    click_tab_slot(5);
    EXPECT_EQ(visibility_differences(page_sampling,
                                     {"Start sampling", "Make and Download DB", "side radio button",
                                      "last-sample panel", "Delete last sample"}),
              "");
    sampling_on = 0;
}

// A second start-up in a folder that holds result, dump and description files.
TEST_F(WindowTest, StartUpScansFillTheListsFromTheWorkingFolder) {
    exit_sequence();
    const std::string folder_path = device.folder();
    const std::string long_name = "results_of_the_first_week_of_march_2024";
    write_file(folder_path + "/" + long_name + ".res", "");
    write_file(folder_path + "/b.res", "");
    const std::string dump(16048, '\0');
    for (const char* name : {"7.ram", "12.ram", "abc.ram"})
        write_file(folder_path + "/" + name, dump);
    write_file(folder_path + "/ROAD.dnl", "COR=0\r\n;USD.OLD_100_1\r\n");
    write_file(folder_path + "/A.dnl", "COR=0\r\n");

    ASSERT_NO_FATAL_FAILURE(start_here());
    const std::vector<ClassControl*> controls = controls_in_list_order();
    const std::vector<Expected> expected = expected_inventory();
    ASSERT_EQ(controls.size(), expected.size());
    const auto list = [&](const char* what) {
        for (std::size_t at = 0; at < expected.size(); ++at)
            if (std::string(expected[at].what) == what)
                return dynamic_cast<ClassListBox*>(controls[at]);
        return static_cast<ClassListBox*>(nullptr);
    };

    ClassListBox* res_files = list("RES file list");
    ASSERT_EQ(res_files->item_count(), 2);
    EXPECT_EQ(res_files->item_text(0), TextString("b"));
    EXPECT_EQ(res_files->item_text(1), TextString(std::string_view(long_name).substr(0, 30)));
    EXPECT_EQ(res_files->highest_selected_index(), 0);

    ClassListBox* analysis = list("analysis list");
    ASSERT_EQ(analysis->item_count(), 2);
    EXPECT_EQ(analysis->item_text(0),
              TextString(std::string_view(analyse_dump_file(folder_path, 7))));
    EXPECT_EQ(analysis->item_text(1),
              TextString(std::string_view(analyse_dump_file(folder_path, 12))));

    ClassListBox* db_files = list("DB file list");
    ASSERT_EQ(db_files->item_count(), 2);
    EXPECT_EQ(db_files->item_text(0), TextString("A"));
    EXPECT_EQ(db_files->item_text(1), TextString("ROAD"));
    // Description 0 ("A") is loaded: its rows are empty.
    EXPECT_EQ(db_rows[0].substr(9, 3), "   ");

    // The results file for session reports before a RES file is chosen exists, empty.
    std::ifstream start_up_results(folder_path + "/ZELK_CON.TMP");
    EXPECT_TRUE(start_up_results.good());
}
