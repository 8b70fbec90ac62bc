// The SAMPLING page against the simulated device: description files, the row editor, sampling
// with the files it writes, the acceptance prompt, "Delete last sample", the requests for
// stored samples and the device ending the connected state.
#include "analysis/results_view.h"
#include "database/database_area.h"
#include "database/description_page.h"
#include "database/sampling_control.h"
#include "database/table_editor.h"
#include "files/folder_files.h"
#include "shell/connection.h"
#include "shell/status_line.h"
#include "sim/sample_generator.h"
#include "tests/support/window_fixture.h"
#include "traffic/stored_sample_requests.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <algorithm>
#include <filesystem>

namespace {

std::vector<std::uint8_t> sample_bytes(std::uint32_t note, std::uint32_t pass,
                                       SampleKind kind = SampleKind::usual) {
    const SampleBuffer buffer = generate_sample(note, pass, kind);
    return {buffer.begin(), buffer.end()};
}

int bin_file_count() {
    const auto names = list_folder(".");
    return static_cast<int>(std::count_if(names.begin(), names.end(), [](const std::string& name) {
        return name.ends_with(".bin");
    }));
}

std::string row(int index) {
    return db_area.db_table_list->item_text(index).str();
}

std::string side_column(int index, int side) {
    return row(index).substr(static_cast<std::size_t>(31 + 9 * (side - 1)), 9);
}

char mark(int index, int side) {
    return row(index).at(static_cast<std::size_t>(33 + 9 * (side - 1)));
}

// Answers the acceptance prompt as soon as it shows its buttons.
class PromptAnswer {
public:
    explicit PromptAnswer(bool accept) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this, accept] {
            if (!visible(db_area.accept_push_button))
                return;
            ++prompts;
            click_button(accept ? db_area.accept_push_button : db_area.reject_push_button);
        });
        timer_.start();
    }
    int prompts = 0;

private:
    QTimer timer_;
};

} // namespace

class SamplingWindowTest : public WindowTest {
protected:
    // Start-up reads the description files and the stored samples: the program starts again
    // over the files the test has written.
    void restart_program() {
        ASSERT_NO_FATAL_FAILURE(WindowTest::restart_program());
        frames_before_ = device.frames().size();
    }

    int count_code(int code) const {
        const auto frames = device.frames();
        return static_cast<int>(std::count_if(
            frames.begin() + static_cast<long>(std::min(frames_before_, frames.size())),
            frames.end(), [code](const RecordedFrame& frame) { return frame.code == code; }));
    }

    // Connects, opens the SAMPLING page, selects `row_index` and starts sampling.
    // Sampling on a row whose ten stored samples form the envelope of the next one.
    void start_sampling_with_ten_samples() {
        write_file("BANK.dnl", "COR=0\r\n;USD_100_1\r\n");
        for (std::uint32_t pass = 1; pass <= 10; ++pass)
            write_file("USD_100_1_" + std::to_string(pass) + ".bin", sample_bytes(3, pass));
        restart_program();
        start_sampling_on_row(0);
    }

    void start_sampling_on_row(int row_index) {
        click_button(shared.connect_push_button);
        ASSERT_EQ(connected, 1);
        click_tab_slot(4);
        ASSERT_EQ(current_mode, page_sampling);
        ASSERT_TRUE(visible(db_area.sampling_button));
        db_area.db_table_list->select_index(row_index);
        watch_lists();
        click_button(db_area.sampling_button);
        ASSERT_EQ(sampling_on, 1);
    }

    // The device sends a sample buffer; true once the program acknowledged and handled it.
    bool deliver(const std::string& script_line) {
        const int acknowledged = count_code(11);
        if (device.command(script_line) != 1)
            return false;
        return run_passes_until([&] { return count_code(11) > acknowledged; });
    }

    // The device asks for a stored sample; returns the 1566 bytes that came back.
    std::vector<std::uint8_t> request_stored_sample() {
        if (device.command("request-sample") != 1)
            return {};
        run_passes_until([&] {
            return device.command("sample-reply") == 1 && device.last_reply() == "1566 bytes";
        });
        const std::string saved = "reply.out";
        if (device.command("sample-reply " + saved) != 1)
            return {};
        std::vector<std::uint8_t> bytes = file_bytes(saved);
        std::filesystem::remove(saved);
        return bytes;
    }

    std::size_t frames_before_ = 0;
};

TEST_F(SamplingWindowTest, ReceivedSamplesBecomeNumberedFilesOfTheRowAndSide) {
    write_file("BANK.dnl", "COR=0\r\n;USD.OLD_100_1\r\n;EUR_5_1\r\n");
    restart_program();
    start_sampling_on_row(0);
    EXPECT_EQ(count_code(1), 1);
    EXPECT_TRUE(visible(db_area.side_buttons[0]));
    EXPECT_TRUE(visible(db_area.delete_last_sample_button));
    EXPECT_EQ(mark(0, 1), '*');
    EXPECT_EQ(mark(0, 2), ' ');

    for (std::uint32_t pass = 1; pass <= 3; ++pass)
        ASSERT_TRUE(deliver("send-sample 7 " + std::to_string(pass)));
    for (std::uint32_t pass = 1; pass <= 3; ++pass)
        EXPECT_EQ(file_bytes("USD.OLD_100_1_" + std::to_string(pass) + ".bin"),
                  sample_bytes(7, pass));
    EXPECT_EQ(side_column(0, 1), "  *     3");
    EXPECT_EQ(last_sample_name, "USD.OLD_100_1_3.bin");
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_info)); // "Received"
    EXPECT_EQ(status_text().str(), "Received");
    EXPECT_TRUE(panel_shows_colour(shared.last_sample_panel, colour_blue));

    // Side 2 chosen while sampling: the mark moves and the next sample is a Side2 file.
    static_cast<QAbstractButton*>(db_area.side_buttons[1]->window)->click();
    EXPECT_EQ(mark(0, 1), ' ');
    EXPECT_EQ(mark(0, 2), '*');
    ASSERT_TRUE(deliver("send-sample 7 4"));
    EXPECT_EQ(file_bytes("USD.OLD_100_2_1.bin"), sample_bytes(7, 4));
    EXPECT_EQ(side_column(0, 2), "  *     1");

    // Another row while sampling: the marks follow it, the edit fields show it.
    db_area.db_table_list->select_index(1);
    watch_lists();
    EXPECT_EQ(mark(0, 2), ' ');
    EXPECT_EQ(mark(1, 2), '*');
    EXPECT_EQ(db_area.name_edit->get_text().str(), "EUR");
    EXPECT_EQ(db_area.nominal_edit->get_text().str(), "5");

    // Stop: every mark is cleared and the sampling-only controls go.
    click_button(db_area.sampling_button);
    EXPECT_EQ(count_code(2), 1);
    EXPECT_EQ(sampling_on, 0);
    EXPECT_EQ(mark(1, 2), ' ');
    EXPECT_FALSE(visible(db_area.side_buttons[0]));
    EXPECT_FALSE(visible(db_area.delete_last_sample_button));
    // While sampling is off a sample buffer is dropped without a reply.
    ASSERT_EQ(device.command("send-sample 7 5"), 1);
    run_passes_until([] { return false; }, 400);
    EXPECT_EQ(count_code(11), 4);
    EXPECT_FALSE(file_present("USD.OLD_100_2_2.bin"));
}

TEST_F(SamplingWindowTest, ADeviceThatRefusesToStartOrStopChangesNothing) {
    write_file("BANK.dnl", "COR=0\r\n;USD_100_1\r\n");
    restart_program();
    click_button(shared.connect_push_button);
    click_tab_slot(4);
    // Three refusals leave everything as it was, with the device's error.
    const auto refused = [this](int code, int sampling_before, const char* label, char row_mark) {
        ASSERT_EQ(device.command("result " + std::to_string(code) + " 4"), 1);
        click_button(db_area.sampling_button);
        EXPECT_EQ(count_code(code), 3);
        EXPECT_EQ(sampling_on, sampling_before);
        EXPECT_EQ(db_area.sampling_button->label.str(), label);
        EXPECT_EQ(visible(db_area.side_buttons[0]), sampling_before == 1);
        EXPECT_EQ(mark(0, 1), row_mark);
        EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_error));
        EXPECT_EQ(status_text().str(), "COM-bufer of ZELK is full");
    };
    refused(1, 0, "Start sampling", ' ');
    ASSERT_EQ(device.command("reset 1"), 1);
    click_button(db_area.sampling_button);
    ASSERT_EQ(sampling_on, 1);
    refused(2, 1, "Stop sampling", '*');
}

TEST_F(SamplingWindowTest, BuffersTheRowCannotTakeAreAcknowledgedButNotStored) {
    write_file("BANK.dnl", "COR=0\r\n;USD_100_1\r\n");
    restart_program();
    start_sampling_on_row(0);

    ASSERT_TRUE(deliver("send-sample 1 1 wrong-sum"));
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_error));
    EXPECT_EQ(status_text().str(), "Wrong CRC of SAMPLE buffer");
    EXPECT_EQ(bin_file_count(), 0);

    // Row 1 holds no banknote: "Wrong NAME/NOMINAL".
    db_area.db_table_list->select_index(1);
    watch_lists();
    ASSERT_TRUE(deliver("send-sample 1 2"));
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_error));
    EXPECT_EQ(status_text().str(), "Wrong NAME/NOMINAL");

    // A name without a nominal: "Wrong NOMINAL"; nothing is stored either.
    db_area.name_edit->set_text("eur");
    main_loop_pass(false);
    EXPECT_EQ(row(1).substr(9, 3), "EUR");
    ASSERT_TRUE(deliver("send-sample 1 3"));
    EXPECT_EQ(bin_file_count(), 0);
}

TEST_F(SamplingWindowTest, AFarImageIsStoredOnlyWhenAccepted) {
    start_sampling_with_ten_samples();

    {
        PromptAnswer refuse(false);
        ASSERT_TRUE(deliver("send-sample 3 11 far"));
        EXPECT_EQ(refuse.prompts, 1);
    }
    EXPECT_FALSE(file_present("USD_100_1_11.bin"));
    EXPECT_FALSE(visible(db_area.accept_push_button));
    EXPECT_TRUE(visible(db_area.delete_last_sample_button));
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_error));
    EXPECT_EQ(status_text().str(), "Wrong image of banknote");

    // A usual pass needs no answer and takes the number the refused one did not use.
    {
        PromptAnswer none(false);
        ASSERT_TRUE(deliver("send-sample 3 12"));
        EXPECT_EQ(none.prompts, 0);
    }
    EXPECT_EQ(file_bytes("USD_100_1_11.bin"), sample_bytes(3, 12));

    {
        PromptAnswer accept(true);
        ASSERT_TRUE(deliver("send-sample 3 13 far"));
        EXPECT_EQ(accept.prompts, 1);
    }
    EXPECT_EQ(file_bytes("USD_100_1_12.bin"), sample_bytes(3, 13, SampleKind::far));
    EXPECT_EQ(side_column(0, 1), "  *    12");
}

TEST_F(SamplingWindowTest, ThePromptSleepsThroughDeviceBytesAndRoutesNoKeys) {
    start_sampling_with_ten_samples();
    const int results_before = results_list->item_count();
    QTimer answer;
    int wakes = 0;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake,
                     &answer, [&wakes] { ++wakes; });
    // While the prompt waits: the device sends a result, Space is pressed; some 30 timer
    // ticks later the prompt is refused.
    int ticks = 0;
    int wakes_while_waiting = 0;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (!visible(db_area.accept_push_button))
            return;
        if (ticks == 0) {
            device.command("send-result 1 EUR:1:5");
            press_key(Qt::Key_Space);
            wakes = 0;
        }
        if (++ticks == 30) {
            wakes_while_waiting = wakes;
            click_button(db_area.reject_push_button);
        }
    });
    answer.start();
    ASSERT_TRUE(deliver("send-sample 3 11 far"));
    EXPECT_EQ(ticks, 30);
    // A spinning prompt wakes thousands of times; the timer alone wakes it about 30 times.
    EXPECT_LT(wakes_while_waiting, 100);
    EXPECT_EQ(db_area.name_edit->get_text().str(), "USD");
    // The result waited in the driver and is read once the prompt is gone.
    EXPECT_TRUE(run_passes_until(
        [results_before] { return results_list->item_count() == results_before + 2; }));
}

TEST_F(SamplingWindowTest, ClosingTheWindowDuringThePromptRefusesTheSample) {
    start_sampling_with_ten_samples();
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (visible(db_area.accept_push_button))
            main_window->window->close();
    });
    closer.start();
    ASSERT_EQ(device.command("send-sample 3 11 far"), 1);
    // The pass that ran the prompt reports the closed window; the exit sequence still runs.
    run_passes_until([] { return main_window->close_requested; });
    EXPECT_FALSE(file_present("USD_100_1_11.bin"));
    EXPECT_EQ(main_loop_pass(false), 0);
    EXPECT_EQ(exit_sequence(), 0);
    EXPECT_EQ(main_window, nullptr);
}

TEST_F(SamplingWindowTest, DeleteLastSampleTwice) {
    write_file("BANK.dnl", "COR=0\r\n;USD_100_1\r\n");
    restart_program();
    start_sampling_on_row(0);
    ASSERT_TRUE(deliver("send-sample 2 1"));
    ASSERT_TRUE(deliver("send-sample 2 2"));
    EXPECT_EQ(side_column(0, 1), "  *     2");

    click_button(db_area.delete_last_sample_button);
    EXPECT_FALSE(file_present("USD_100_1_2.bin"));
    EXPECT_TRUE(file_present("USD_100_1_1.bin"));
    EXPECT_EQ(last_sample_name, "");
    EXPECT_EQ(side_column(0, 1), "  *     1");
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_info));
    EXPECT_EQ(status_text().str(), "Deleted USD_100_1_2.bin");

    click_button(db_area.delete_last_sample_button);
    EXPECT_TRUE(file_present("USD_100_1_1.bin"));
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_error));
    EXPECT_EQ(status_text().str(), "Could not delete ");

    // The deleted number is the highest: the next sample takes it again.
    ASSERT_TRUE(deliver("send-sample 2 3"));
    EXPECT_EQ(file_bytes("USD_100_1_2.bin"), sample_bytes(2, 3));
}

TEST_F(SamplingWindowTest, ASampleThatCannotBeWrittenUsesNoNumber) {
    write_file("BANK.dnl", "COR=0\r\n;USD_100_1\r\n");
    restart_program();
    start_sampling_on_row(0);
    // A folder where the temporary file would go makes the write fail.
    std::filesystem::create_directory("USD_100_1_1.bin.tmp");
    ASSERT_TRUE(deliver("send-sample 2 1"));
    EXPECT_FALSE(file_present("USD_100_1_1.bin"));
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_error));
    EXPECT_EQ(status_text().str(), "Can't write USD_100_1_1.bin");
    EXPECT_EQ(last_sample_name, "");

    std::filesystem::remove("USD_100_1_1.bin.tmp");
    ASSERT_TRUE(deliver("send-sample 2 2"));
    EXPECT_EQ(file_bytes("USD_100_1_1.bin"), sample_bytes(2, 2));
}

TEST_F(SamplingWindowTest, StoredSampleRequestsWalkTheListingToItsEnd) {
    const auto exact = sample_bytes(5, 1);
    // Built whole rather than grown: GCC 12 at -O3 takes the growth of a copy for an overflow.
    std::vector<std::uint8_t> longer(2000, 0x5A);
    const auto second = sample_bytes(5, 2);
    std::copy(second.begin(), second.end(), longer.begin());
    write_file("A.bin", std::vector<std::uint8_t>{1, 2, 3});
    write_file("B.bin", exact);
    write_file("C.bin", longer);
    restart_program();
    // A file made after start-up is not part of the listing.
    write_file("D.bin", exact);

    std::vector<std::uint8_t> expected(1566, 0);
    expected[0] = 1;
    expected[1] = 2;
    expected[2] = 3;
    EXPECT_EQ(request_stored_sample(), expected);
    EXPECT_EQ(request_stored_sample(), exact);
    EXPECT_EQ(request_stored_sample(),
              std::vector<std::uint8_t>(longer.begin(), longer.begin() + 1566));
    const std::vector<std::uint8_t> zeros(1566, 0);
    EXPECT_EQ(request_stored_sample(), zeros);
    EXPECT_EQ(request_stored_sample(), zeros);
    EXPECT_EQ(sample_listing.shown_name, "C.bin");
    EXPECT_TRUE(visible(sample_file_panel));
    EXPECT_TRUE(panel_shows_colour(sample_file_panel, colour_blue));
}

TEST_F(SamplingWindowTest, TheDeviceEndingTheConnectedStateStopsSampling) {
    write_file("BANK.dnl", "COR=0\r\n;USD_100_1\r\n");
    restart_program();
    const long lamp_off = panel_pixel(db_area.sampling_indicator, 8, 8);
    start_sampling_on_row(0);
    EXPECT_NE(panel_pixel(db_area.sampling_indicator, 8, 8), lamp_off);
    ASSERT_EQ(mark(0, 1), '*');
    ASSERT_EQ(device.command("end-connected"), 1);
    ASSERT_TRUE(run_passes_until([] { return connected == 0; }));
    EXPECT_EQ(sampling_on, 0);
    EXPECT_EQ(count_code(2), 1); // the stop of the SAMPLING page's disconnect
    EXPECT_EQ(mark(0, 1), ' ');
    EXPECT_FALSE(visible(db_area.sampling_button));
    EXPECT_FALSE(visible(db_area.delete_last_sample_button));
    EXPECT_EQ(panel_pixel(db_area.sampling_indicator, 8, 8), lamp_off);
}

// Typing rows with the display-alphabet check, saving, and loading the file again.
TEST_F(SamplingWindowTest, RowsTypedAndSavedLoadAgain) {
    write_file("SHOP.dnl", "");
    write_file("USD.OLD_100_1_4.bin", sample_bytes(1, 1));
    restart_program();
    click_tab_slot(4);
    ASSERT_EQ(current_mode, page_sampling);

    db_area.name_edit->set_text("usd");
    db_area.ext_edit->set_text("old");
    db_area.nominal_edit->set_text("100");
    main_loop_pass(false);
    EXPECT_EQ(db_area.name_edit->get_text().str(), "usd"); // the field keeps what was typed
    EXPECT_EQ(current_name, "USD");
    EXPECT_EQ(row(0).substr(9, 3), "USD");
    EXPECT_EQ(row(0).substr(16, 3), "OLD");
    EXPECT_EQ(row(0).substr(23, 7), "100    ");
    EXPECT_EQ(side_column(0, 1), "        1");

    // Characters the device cannot show are refused: the field returns to its text.
    db_area.name_edit->set_text("usg");
    db_area.nominal_edit->set_text("10a");
    main_loop_pass(false);
    EXPECT_EQ(db_area.name_edit->get_text().str(), "USD");
    EXPECT_EQ(db_area.nominal_edit->get_text().str(), "100");
    EXPECT_EQ(row(0).substr(9, 3), "USD");

    db_area.db_table_list->select_index(1);
    watch_lists();
    db_area.name_edit->set_text("eur");
    db_area.nominal_edit->set_text("5");
    main_loop_pass(false);

    click_button(db_area.new_db_file_button); // an open name entry is closed by the save
    const auto save_button = [] {
        for (ControlNode* node = main_window->controls; node; node = node->next) {
            auto* button = dynamic_cast<ClassPushButton*>(node->control);
            if (button && button->label.str() == "Save DB file")
                return button;
        }
        return static_cast<ClassPushButton*>(nullptr);
    }();
    click_button(save_button);
    EXPECT_FALSE(visible(db_area.db_name_edit));
    EXPECT_EQ(file_text("SHOP.dnl"), "COR=0\r\n;USD.OLD_100_1\r\n;EUR_5_1\r\n");
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_info));
    EXPECT_EQ(status_text().str(), "SHOP.dnl file is saved");

    // The space bar empties the selected row; going to COLLECT and back reloads the file.
    press_key(Qt::Key_Space);
    EXPECT_EQ(row(1).substr(9, 21), std::string(21, ' '));
    click_tab_slot(6);
    click_tab_slot(4);
    EXPECT_EQ(row(0).substr(0, 31), "    1    USD    OLD        100 ");
    EXPECT_EQ(row(1).substr(0, 31), "    2    EUR" + std::string(17, ' ') + "5 ");
    EXPECT_EQ(side_column(0, 1), "        1");
    EXPECT_EQ(db_area.name_edit->get_text().str(), "USD");
    EXPECT_EQ(mc_percent, 0);

    // A save that cannot be written leaves the file as it was.
    std::filesystem::create_directory("SHOP.dnl.tmp");
    db_area.db_table_list->select_index(2);
    watch_lists();
    db_area.name_edit->set_text("ab");
    db_area.nominal_edit->set_text("20");
    main_loop_pass(false);
    click_button(save_button);
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_error));
    EXPECT_EQ(status_text().str(), "Can't write SHOP.dnl");
    EXPECT_EQ(file_text("SHOP.dnl"), "COR=0\r\n;USD.OLD_100_1\r\n;EUR_5_1\r\n");
}

TEST_F(SamplingWindowTest, NewDbFileAsksBeforeOverwriting) {
    write_file("OLD.dnl", "COR=0\r\n;USD_100_1\r\n");
    restart_program();
    click_tab_slot(4);
    ASSERT_EQ(db_area.db_file_list->item_count(), 1);

    // Refused names create nothing; the entry stays open.
    click_button(db_area.new_db_file_button);
    ASSERT_TRUE(visible(db_area.db_name_edit));
    EXPECT_FALSE(visible(db_area.new_db_file_button));
    for (const char* name : {"a/b", ".", ".."}) {
        db_area.db_name_edit->set_text(name);
        press_key(Qt::Key_Return);
        EXPECT_TRUE(visible(db_area.db_name_edit)) << name;
        EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_error)) << name;
    }
    EXPECT_FALSE(std::filesystem::exists("a"));
    EXPECT_EQ(db_area.db_file_list->item_count(), 1);

    db_area.db_name_edit->set_text("NEW");
    press_key(Qt::Key_Return);
    EXPECT_TRUE(file_present("NEW.dnl"));
    EXPECT_EQ(file_text("NEW.dnl"), "");
    EXPECT_FALSE(visible(db_area.db_name_edit));
    EXPECT_EQ(db_area.db_file_list->item_text(1).str(), "NEW");

    // An existing name: the first Enter asks, the second overwrites; the list keeps one entry.
    click_button(db_area.new_db_file_button);
    db_area.db_name_edit->set_text("OLD");
    press_key(Qt::Key_Return);
    EXPECT_TRUE(visible(db_area.db_name_edit));
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_error));
    EXPECT_EQ(file_text("OLD.dnl"), "COR=0\r\n;USD_100_1\r\n");
    press_key(Qt::Key_Return);
    EXPECT_FALSE(visible(db_area.db_name_edit));
    EXPECT_EQ(file_text("OLD.dnl"), "");
    EXPECT_EQ(db_area.db_file_list->item_count(), 2);

    // Reopening forgets the question; Esc closes without creating anything.
    click_button(db_area.new_db_file_button);
    db_area.db_name_edit->set_text("NEW");
    press_key(Qt::Key_Return);
    EXPECT_TRUE(visible(db_area.db_name_edit));
    press_key(Qt::Key_Escape);
    EXPECT_FALSE(visible(db_area.db_name_edit));
    EXPECT_TRUE(visible(db_area.new_db_file_button));
}

TEST_F(SamplingWindowTest, MissingDescriptionGivesNumberedBlankRowsAndKeepsTheCorrection) {
    write_file("GONE.dnl", "COR=0\r\n;USD_100_1\r\n");
    restart_program();
    std::filesystem::remove("GONE.dnl");
    mc_percent = 6;
    click_tab_slot(4);
    EXPECT_EQ(mc_percent, 6);
    EXPECT_TRUE(
        panel_shows_colour(shared.status_message_panel, colour_error)); // "Can't find GONE.dnl"
    EXPECT_EQ(status_text().str(), "Can't find GONE.dnl");
    EXPECT_EQ(row(0), "    1" + std::string(62, ' '));
    EXPECT_EQ(row(119), "  120" + std::string(62, ' '));
}

TEST_F(SamplingWindowTest, TokensThatMakeNoRowAreNamedAndSurviveTheSave) {
    write_file("BAD.dnl", "COR=0\r\n;LONG_1_1\r\n;USD_100_1\r\n");
    restart_program();
    click_tab_slot(4);
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_error));
    EXPECT_EQ(status_text().str(), "Not loaded from BAD.dnl: line 2 ;LONG_1_1");
    EXPECT_EQ(row(0).substr(0, 31), "    1    USD               100 ");
    save_db_file();
    EXPECT_EQ(file_text("BAD.dnl"), "COR=0\r\n;USD_100_1\r\n;LONG_1_1\r\n");
}

TEST_F(SamplingWindowTest, McButtonStepsThroughItsCycleAndStaysHidden) {
    click_tab_slot(4);
    EXPECT_FALSE(visible(db_area.mc_button));
    click_button(db_area.mc_button);
    EXPECT_EQ(mc_percent, 2);
    EXPECT_EQ(db_area.mc_button->label.str(), "MC=2");
    for (int press = 0; press < 10; ++press)
        click_button(db_area.mc_button);
    EXPECT_EQ(mc_percent, 0);
    EXPECT_EQ(db_area.mc_button->label.str(), "MC=0");
    // An uploaded database may carry a value outside the cycle: the button leaves it.
    mc_percent = 7;
    click_button(db_area.mc_button);
    EXPECT_EQ(mc_percent, 7);
    EXPECT_EQ(db_area.mc_button->label.str(), "MC=0");
}
