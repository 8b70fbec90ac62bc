// The ANALYSIS page against the simulated device: dump files found at start-up, dumps the
// device sends, and the limits of the counter and of the list.
#include "analysis/analysis_view.h"
#include "analysis/dump_analysis.h"
#include "formats/device_messages.h"
#include "formats/dump_file.h"
#include "shell/status_line.h"
#include "tests/support/window_fixture.h"
#include "traffic/message_reader.h"

#include <sys/stat.h>

namespace {

using AnalysisPageTest = WindowTest;

std::vector<std::uint8_t> recognised_dump(int kind, int side) {
    DumpFields fields;
    fields.kind_index = static_cast<std::uint8_t>(kind);
    fields.side_index = static_cast<std::uint8_t>(side);
    fields.name = "USD";
    fields.extension = "OLD";
    fields.denomination = 100;
    fields.uvl = 17;
    std::vector<DistanceGroup> groups(static_cast<std::size_t>(4 * kind + side + 1));
    groups.back() = {10, 20, 30, 40};
    return build_memory_dump(fields, groups);
}

std::vector<std::string> list_items(const ClassListBox* list) {
    std::vector<std::string> items;
    for (int index = 0; index < list->item_count(); ++index)
        items.push_back(list->item_text(index).str());
    return items;
}

bool shows_number(int number) {
    return panel_shows_text(max_number_panel, std::to_string(number).c_str(), colour_info,
                            colour_background);
}

// Watches the progress panel while a message is read: the loop keeps the window drawn then.
struct ProgressWatch {
    ProgressWatch() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            seen_count = seen_count || panel_shows_colour(shared.progress_panel, colour_blue);
        });
        timer.start(0);
    }
    QTimer timer;
    bool seen_count = false;
};

constexpr const char* dump_script = "send-dump kind=1 side=2 name=USD ext=OLD denomination=100 "
                                    "uvl=17 group=6:10,20,30,40";

} // namespace

TEST_F(AnalysisPageTest, StartUpAnalysesOnlyTheNumberedDumpFilesInOrder) {
    write_file(path("12.ram"), recognised_dump(1, 2));
    write_file(path("7.ram"), recognised_dump(0, 3));
    write_file(path("abc.ram"), recognised_dump(2, 0));
    restart_program();

    EXPECT_EQ(memory_dump_counter, 12);
    const std::vector<std::string> expected{
        analyse_dump(7, recognised_dump(0, 3).data(), memory_dump_size),
        analyse_dump(12, recognised_dump(1, 2).data(), memory_dump_size)};
    EXPECT_EQ(dump_lines, expected);
    EXPECT_EQ(list_items(analysis_list), expected);
    EXPECT_EQ(analysis_list->highest_selected_index(), 0);
    EXPECT_TRUE(shows_number(12));
    EXPECT_TRUE(visible(analysis_list));
}

TEST_F(AnalysisPageTest, CounterStopsAt99999WhileThePanelShowsTheHighestFile) {
    write_file(path("3.ram"), recognised_dump(0, 0));
    write_file(path("120000.ram"), recognised_dump(0, 1));
    restart_program();
    EXPECT_EQ(memory_dump_counter, dump_counter_limit);
    EXPECT_TRUE(shows_number(120000));
    ASSERT_EQ(dump_lines.size(), 1u);

    ASSERT_TRUE(device_sends(dump_script, [] { return dump_lines.size() == 2; }));
    EXPECT_EQ(file_bytes(path("100000.ram")), recognised_dump(1, 2));
    EXPECT_EQ(dump_lines[1], analyse_dump(100000, recognised_dump(1, 2).data(), memory_dump_size));
    EXPECT_EQ(analysis_list->highest_selected_index(), 1);
    EXPECT_TRUE(shows_number(100000));
}

TEST_F(AnalysisPageTest, ReceivedDumpsBecomeFilesAndLinesWithProgressOnlyOnThisPage) {
    {
        ProgressWatch watch;
        ASSERT_TRUE(device_sends(dump_script, [] { return dump_lines.size() == 1; }));
        EXPECT_TRUE(watch.seen_count);
    }
    EXPECT_FALSE(panel_shows_colour(shared.progress_panel, colour_blue)); // cleared once handled
    EXPECT_EQ(file_bytes(path("1.ram")), recognised_dump(1, 2));
    EXPECT_EQ(list_items(analysis_list), std::vector<std::string>{analyse_dump(
                                             1, recognised_dump(1, 2).data(), memory_dump_size)});
    EXPECT_TRUE(shows_number(1));

    click_tab_slot(4); // SAMPLING
    ASSERT_EQ(current_mode, 3);
    {
        ProgressWatch watch;
        ASSERT_TRUE(device_sends("send-dump flags=1", [] { return dump_lines.size() == 2; }));
        EXPECT_FALSE(watch.seen_count);
    }
    EXPECT_EQ(file_bytes(path("2.ram")).size(), memory_dump_size);
    EXPECT_EQ(analysis_list->highest_selected_index(), 1);
    EXPECT_TRUE(shows_number(2));
    EXPECT_FALSE(visible(analysis_list));
}

TEST_F(AnalysisPageTest, AFullListAndAnUnwritableFileAreReportedAndTheRestGoesOn) {
    // The dump file cannot be made: a folder has its name.
    // It uses no number and is not listed.
    ASSERT_EQ(::mkdir(path("1.ram").c_str(), 0755), 0);
    ASSERT_TRUE(device_sends(dump_script, [] { return status_shows_error("Can't write 1.ram"); }));
    EXPECT_FALSE(file_present(path("1.ram.tmp")));
    EXPECT_EQ(memory_dump_counter, 0);
    EXPECT_TRUE(dump_lines.empty());
    EXPECT_EQ(analysis_list->item_count(), 0);

    ASSERT_EQ(::rmdir(path("1.ram").c_str()), 0);
    dump_lines.resize(dump_lines_capacity);
    ASSERT_TRUE(device_sends(dump_script, [] { return memory_dump_counter == 1; }));
    EXPECT_TRUE(status_shows_error(dump_lines_full_text));
    EXPECT_EQ(file_bytes(path("1.ram")), recognised_dump(1, 2));
    EXPECT_EQ(dump_lines.size(), dump_lines_capacity);
    EXPECT_EQ(analysis_list->item_count(), 0);
    EXPECT_TRUE(shows_number(1));
}
