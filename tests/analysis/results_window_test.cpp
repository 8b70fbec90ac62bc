// The SESSION RESULTS page against the simulated device: session results in the table and the
// results file, RES files made, overwritten, reopened and missing, and the row rules.
#include "analysis/results_view.h"
#include "analysis/session_results.h"
#include "files/file_texts.h"
#include "files/typed_names.h"
#include "formats/results_file.h"
#include "shell/status_line.h"
#include "tests/support/window_fixture.h"

#include <QListWidget>
#include <QScrollBar>
#include <unistd.h>

namespace {

using ResultsPageTest = WindowTest;

std::vector<std::string> table_lines() {
    std::vector<std::string> lines;
    for (int index = 0; index < results_list->item_count(); ++index)
        lines.push_back(results_list->item_text(index).str());
    return lines;
}

std::string as_file(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// Sessions of three lines each (session, denomination, currency), `count` lines in all.
std::vector<std::string> sessions_of_three(int count) {
    const LocalDateTime when{2026, 3, 4, 5, 6, 7};
    std::vector<std::string> lines;
    for (int i = 0; static_cast<int>(lines.size()) < count; ++i) {
        const int kind = i % 3;
        lines.push_back(
            kind == 0   ? session_line(static_cast<std::uint16_t>(i / 3 + 1), when, "USD", 2, 200)
            : kind == 1 ? denomination_line(100, 2, 200)
                        : currency_line("EUR", 1, 50));
    }
    return lines;
}

bool rule_shown(const std::array<ClassSimpleGraphics*, result_rule_count>& rules, int k) {
    return visible(rules[static_cast<std::size_t>(k - 1)]);
}

// Block rule k is shown exactly when the line below visible row k begins a session.
void expect_block_rules_follow(const std::vector<std::string>& lines, int top) {
    for (int k = 1; k <= result_rule_count; ++k) {
        const std::size_t below = static_cast<std::size_t>(top + k);
        const bool starts = below < lines.size() && line_starts_session(lines[below]);
        EXPECT_EQ(rule_shown(block_rules, k), starts) << "rule " << k << " top " << top;
    }
}

void type_res_name(const std::string& name) {
    res_name_edit->set_text(TextString(std::string_view(name)));
    press_key(Qt::Key_Return);
}

void open_page() {
    main_window->dispatch_command(command_word(mode_list->id, notify_focus), 0);
    mode_list->select_index(2);
    watch_lists();
}

} // namespace

TEST_F(ResultsPageTest, ResultsGoToTheStartUpFileThenToANewResFile) {
    EXPECT_EQ(file_text(path(startup_results_file_name)), "");
    ASSERT_TRUE(
        device_sends("send-result 3 EUR:3:30", [] { return results_list->item_count() == 2; }));
    EXPECT_EQ(file_text(path(startup_results_file_name)), as_file(table_lines()));

    open_page();
    click_button(new_res_button);
    EXPECT_TRUE(visible(res_name_edit));
    EXPECT_FALSE(visible(new_res_button));
    type_res_name("alpha");
    EXPECT_EQ(file_text(path("alpha.res")), "");
    EXPECT_EQ(current_res_name.str(), "alpha");
    EXPECT_EQ(res_file_list->item_text(res_file_list->item_count() - 1).str(), "alpha");
    EXPECT_FALSE(visible(res_name_edit));
    EXPECT_TRUE(visible(new_res_button));
    EXPECT_EQ(results_list->item_count(), 0);
    EXPECT_TRUE(
        panel_shows_text(shared.res_file_name_panel, "alpha", colour_info, colour_background));

    ASSERT_TRUE(device_sends("send-result 12 USD:3:300 USD:2:200 EUR:1:50 USD:1:50",
                             [] { return results_list->item_count() == 5; }));
    const std::vector<std::string> lines = table_lines();
    EXPECT_EQ(lines[0].substr(0, 6), "    12");
    EXPECT_EQ(lines[0].substr(37), session_line(12, {}, "USD", 6, 550).substr(37));
    EXPECT_EQ(lines[1], denomination_line(50, 1, 50));
    EXPECT_EQ(lines[2], denomination_line(100, 5, 500));
    EXPECT_EQ(lines[3], currency_line("EUR", 1, 50));
    EXPECT_EQ(lines[4], denomination_line(50, 1, 50));
    EXPECT_EQ(file_text(path("alpha.res")), as_file(lines));
    // The start-up file keeps only what came before.
    EXPECT_EQ(file_text(path(startup_results_file_name)).size(), 2 * 65u);
    for (int k = 1; k <= result_rule_count; ++k) {
        EXPECT_EQ(rule_shown(thin_row_rules, k), k > 5) << k;
        EXPECT_EQ(rule_shown(block_rules, k), k == 5) << k;
    }
}

TEST_F(ResultsPageTest, AnExistingFileIsOverwrittenOnlyOnASecondEnterWithTheSameName) {
    write_file(path("beta.res"), std::string("kept\r\n"));
    write_file(path("delta.res"), std::string("kept too\r\n"));
    open_page();
    click_button(new_res_button);
    type_res_name("beta");
    EXPECT_TRUE(status_shows_error(overwrite_question_text("beta.res").c_str()));
    type_res_name("delta");
    EXPECT_TRUE(status_shows_error(overwrite_question_text("delta.res").c_str()));
    type_res_name("beta"); // another name came between: asked again
    EXPECT_TRUE(status_shows_error(overwrite_question_text("beta.res").c_str()));
    EXPECT_EQ(file_text(path("beta.res")), "kept\r\n");
    EXPECT_TRUE(visible(res_name_edit));

    type_res_name("beta");
    EXPECT_EQ(file_text(path("beta.res")), "");
    EXPECT_EQ(file_text(path("delta.res")), "kept too\r\n");
    EXPECT_EQ(current_res_name.str(), "beta");
    EXPECT_TRUE(status_shows_error(""));
    EXPECT_FALSE(visible(res_name_edit));
}

TEST_F(ResultsPageTest, UnsafeNamesAreRefusedAndEscapeClosesTheEntry) {
    open_page();
    click_button(new_res_button);
    for (const char* name : {".", "..", "sub/name", "/tmp/x"}) {
        type_res_name(name);
        EXPECT_TRUE(status_shows_error(refused_res_name_text)) << name;
    }
    EXPECT_FALSE(file_present(path("..res")));
    EXPECT_FALSE(file_present(path("...res")));
    EXPECT_EQ(res_file_list->item_count(), 0);
    EXPECT_TRUE(visible(res_name_edit));
    press_key(Qt::Key_Escape);
    EXPECT_FALSE(visible(res_name_edit));
    EXPECT_EQ(res_name_edit_active, 0);
    type_res_name("late"); // Enter without an open entry does nothing
    EXPECT_FALSE(file_present(path("late.res")));
}

TEST_F(ResultsPageTest, AFullNameArrayStillMakesTheFile) {
    open_page();
    while (res_names.size() < listed_names_capacity)
        res_names.push_back("name" + std::to_string(res_names.size()));
    click_button(new_res_button);
    type_res_name("extra");
    EXPECT_TRUE(file_present(path("extra.res")));
    EXPECT_TRUE(status_shows_error(res_names_full_text));
    EXPECT_EQ(res_names.size(), listed_names_capacity);
    EXPECT_EQ(res_file_list->item_count(), 0);
    EXPECT_EQ(current_res_name.str(), "extra");
}

TEST_F(ResultsPageTest, ReopenedFilesShowTheirTablesAndAMissingOneIsReported) {
    const std::vector<std::string> first = sessions_of_three(5);
    const std::vector<std::string> second = sessions_of_three(2);
    write_file(path("first.res"), as_file(first));
    // LF line ends and a last line without one are read as well.
    write_file(path("second.res"), second[0] + "\n" + second[1]);
    restart_program();
    ASSERT_EQ(res_file_list->item_count(), 2);

    open_page();
    EXPECT_EQ(table_lines(), first);
    EXPECT_EQ(results_file_name, "first.res");
    res_file_list->select_index(1);
    watch_lists();
    EXPECT_EQ(table_lines(), second);
    res_file_list->select_index(0);
    watch_lists();
    EXPECT_EQ(table_lines(), first);
    EXPECT_TRUE(rule_shown(block_rules, 3));
    EXPECT_TRUE(rule_shown(block_rules, 5));
    EXPECT_FALSE(rule_shown(block_rules, 4));

    ASSERT_EQ(::unlink(path("second.res").c_str()), 0);
    res_file_list->select_index(1);
    watch_lists();
    EXPECT_TRUE(status_shows_error("Can't find second.res"));
    EXPECT_EQ(table_lines(), first);
    // The file that was open keeps receiving results: none is lost.
    EXPECT_EQ(results_file_name, "first.res");
    EXPECT_EQ(current_res_name.str(), "first");
    ASSERT_TRUE(
        device_sends("send-result 1 EUR:1:5", [] { return results_list->item_count() == 7; }));
    EXPECT_EQ(file_text(path("first.res")), as_file(table_lines()));
    EXPECT_FALSE(file_present(path("second.res")));
}

TEST_F(ResultsPageTest, BlockRulesFollowTheScrolledListAndStayOffOtherPages) {
    const std::vector<std::string> lines = sessions_of_three(60);
    write_file(path("long.res"), as_file(lines));
    restart_program();
    open_page();
    ASSERT_EQ(table_lines(), lines);
    // The last line is brought into view.
    const int bottom_top = results_list->top_index();
    EXPECT_GE(bottom_top, 60 - 34);
    expect_block_rules_follow(lines, bottom_top);
    for (int k = 1; k <= result_rule_count; ++k)
        EXPECT_FALSE(rule_shown(thin_row_rules, k)) << k;

    static_cast<QListWidget*>(results_list->window)->verticalScrollBar()->setValue(20);
    watch_lists();
    ASSERT_EQ(results_list->top_index(), 20);
    expect_block_rules_follow(lines, 20);

    // A result while the ANALYSIS page is shown: stored and listed, no rule drawn there.
    click_tab_slot(0);
    ASSERT_TRUE(
        device_sends("send-result 9 USD:1:100", [] { return results_list->item_count() == 62; }));
    EXPECT_FALSE(visible(results_list));
    for (int k = 1; k <= result_rule_count; ++k)
        EXPECT_FALSE(rule_shown(block_rules, k) || rule_shown(thin_row_rules, k)) << k;
    EXPECT_EQ(file_text(path("long.res")), as_file(table_lines()));

    open_page();
    EXPECT_EQ(results_list->item_count(), 62);
    EXPECT_EQ(results_list->top_index(), bottom_top + 2);
    expect_block_rules_follow(table_lines(), results_list->top_index());
}

TEST_F(ResultsPageTest, AResultLineThatCannotBeStoredIsReported) {
    ASSERT_EQ(::unlink(path(startup_results_file_name).c_str()), 0);
    ASSERT_EQ(::symlink("/dev/full", path(startup_results_file_name).c_str()), 0);
    restart_program();
    ASSERT_TRUE(
        device_sends("send-result 2 EUR:2:20", [] { return results_list->item_count() == 2; }));
    EXPECT_TRUE(status_shows_error("Can't write ZELK_CON.TMP"));
}
