#include "formats/frames.h"
#include "link/commands.h"
#include "link/traffic_log.h"
#include "shell/status_line.h"
#include "shell/transfer_progress.h"
#include "tests/support/window_fixture.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

// Makes the database-name panel as the SAMPLING page builds it.
ClassSimpleGraphics* make_db_name_panel() {
    shared.db_name_panel =
        main_window->add_simple_graphics(100, 490, 120, 20, panel_style_owner_draw, &font_normal);
    return shared.db_name_panel;
}

// The seconds of "50%  1:05 left", or -1.
int seconds_left(const std::string& text) {
    int minutes = 0, seconds = 0;
    const std::size_t blanks = text.find("  ");
    if (blanks == std::string::npos ||
        std::sscanf(text.c_str() + blanks, " %d:%d left", &minutes, &seconds) != 2)
        return -1;
    return minutes * 60 + seconds;
}

bool only_colour(const ClassSimpleGraphics* panel, Colour colour) {
    for (int y = 0; y < panel->height(); ++y) {
        for (int x = 0; x < panel->width(); ++x) {
            if (panel_pixel(panel, x, y) != static_cast<long>(colour))
                return false;
        }
    }
    return true;
}

} // namespace

TEST_F(WindowTest, DatabaseNameIsShownInTheDisplayAlphabet) {
    ClassSimpleGraphics* panel = make_db_name_panel();
    show_db_name("db_name_long");
    EXPECT_EQ(shown_db_name().str(), "db-nA E-Lon ");
    EXPECT_TRUE(panel_shows_colour(panel, colour_info));
    EXPECT_EQ(panel_pixel(panel, 0, 0), static_cast<long>(colour_background));

    show_db_name("ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(shown_db_name().str(), "AbCdEF HI  L");
    EXPECT_EQ(shown_db_name().length(), 12);

    show_db_name("");
    EXPECT_TRUE(shown_db_name().empty());
    EXPECT_TRUE(only_colour(panel, colour_background));
}

TEST_F(WindowTest, StatusLineColoursAndClearing) {
    show_status_info("Received");
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_info));
    EXPECT_FALSE(panel_shows_colour(shared.status_message_panel, colour_error));

    show_command_error(-1);
    EXPECT_TRUE(panel_shows_colour(shared.status_message_panel, colour_error));
    EXPECT_FALSE(panel_shows_colour(shared.status_message_panel, colour_info));

    // Results without a text leave the line as it is.
    const QImage before = shared.status_message_panel->image();
    show_command_error(0);
    show_command_error(8);
    show_command_error(1);
    EXPECT_EQ(shared.status_message_panel->image(), before);

    show_status_error("");
    EXPECT_TRUE(only_colour(shared.status_message_panel, colour_status_back));
}

TEST_F(WindowTest, ATrafficLogThatCannotBeWrittenIsNamedOnceAndTheProgramGoesOn) {
    EXPECT_EQ(start_logging_traffic("/nonexistent-folder/traffic.log"), 0);
    EXPECT_EQ(
        status_text().str(),
        "Can't write traffic log /nonexistent-folder/traffic.log (No such file or directory)");
    EXPECT_EQ(status_colour(), colour_error);
    // A file of the program's own (a dump) is never taken.
    EXPECT_EQ(start_logging_traffic("./777.ram"), 0);
    EXPECT_EQ(status_text().str(),
              "Can't write traffic log ./777.ram (it is a file of the program)");
    EXPECT_EQ(::access("777.ram", F_OK), -1);

    show_status_info("before");
    EXPECT_EQ(start_logging_traffic("/dev/full"), 0); // its first line already fails
    EXPECT_EQ(status_text().str(), "Can't write traffic log /dev/full");
    show_status_info("after");
    EXPECT_EQ(send_command(command_connect), 1);
    EXPECT_EQ(status_text().str(), "after");
    EXPECT_FALSE(traffic_log_on());
}

TEST_F(WindowTest, TheProgressBarStandsRightOfTheStatusTextWhileATransferRuns) {
    ASSERT_NE(shared.transfer_progress_panel, nullptr);
    EXPECT_FALSE(shared.transfer_progress_panel->window->isVisible());
    show_status_info("Downloading IMAGE DATE to VARDEN ...39");
    show_transfer_progress(40, 160);
    EXPECT_TRUE(shared.transfer_progress_panel->window->isVisible());
    // A quarter filled, left of the centred "25%  ..." text; the rest is the status line's.
    EXPECT_EQ(panel_pixel(shared.transfer_progress_panel, 3, 9), static_cast<long>(colour_info));
    EXPECT_EQ(panel_pixel(shared.transfer_progress_panel, 180, 9),
              static_cast<long>(colour_status_back));
    EXPECT_EQ(status_text().str(), "Downloading IMAGE DATE to VARDEN ...39");
    end_transfer_progress();
    EXPECT_FALSE(shared.transfer_progress_panel->window->isVisible());
}

// A second transfer started while the bar of the first still stands counts its own time only.
TEST_F(WindowTest, TheTimeLeftRestartsWithEveryTransfer) {
    show_transfer_progress(0, 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    show_transfer_progress(1, 2);
    EXPECT_GE(seconds_left(transfer_progress_text()), 2) << transfer_progress_text();
    show_transfer_progress(0, 2);
    EXPECT_EQ(transfer_progress_text(), "0%");
    show_transfer_progress(1, 2);
    const int left = seconds_left(transfer_progress_text());
    EXPECT_GE(left, 0) << transfer_progress_text();
    EXPECT_LE(left, 1) << "the first transfer's time was counted: " << transfer_progress_text();
    end_transfer_progress();
    EXPECT_EQ(transfer_progress_text(), "");
}
