#include "shell/progress_text.h"
#include "shell/shell_rules.h"

#include <gtest/gtest.h>

TEST(WindowOrigin, CentresAndClampsToTheScreen) {
    EXPECT_EQ(window_origin(1280, 1024).x, 128);
    EXPECT_EQ(window_origin(1280, 1024).y, 118);
    // On a screen of the window's own size the offset of -10 is clamped to the top edge.
    EXPECT_EQ(window_origin(1024, 768).x, 0);
    EXPECT_EQ(window_origin(1024, 768).y, 0);
    EXPECT_EQ(window_origin(800, 600).x, 0);
    EXPECT_EQ(window_origin(800, 600).y, 0);
    // Integer division, as the odd pixel goes to the right and bottom.
    EXPECT_EQ(window_origin(1025, 789).x, 0);
    EXPECT_EQ(window_origin(1027, 789).x, 1);
    EXPECT_EQ(window_origin(1027, 789).y, 0);
    EXPECT_EQ(window_origin(1027, 791).y, 1);
}

TEST(CommandLine, OnlyHelpAndVersionAreUnderstood) {
    const char* none[] = {"ornivex_control"};
    const char* help[] = {"ornivex_control", "--help"};
    const char* short_help[] = {"ornivex_control", "-h"};
    const char* unknown[] = {"ornivex_control", "--port"};
    const char* help_and_more[] = {"ornivex_control", "--help", "x"};
    const char* version[] = {"ornivex_control", "--version"};
    const char* version_and_more[] = {"ornivex_control", "--version", "x"};
    EXPECT_EQ(read_command_line(1, none), CommandLineRequest::run);
    EXPECT_EQ(read_command_line(2, help), CommandLineRequest::help);
    EXPECT_EQ(read_command_line(2, short_help), CommandLineRequest::help);
    EXPECT_EQ(read_command_line(2, unknown), CommandLineRequest::invalid);
    EXPECT_EQ(read_command_line(3, help_and_more), CommandLineRequest::invalid);
    EXPECT_EQ(read_command_line(2, version), CommandLineRequest::version);
    EXPECT_EQ(read_command_line(3, version_and_more), CommandLineRequest::invalid);
}

TEST(TabSlots, TwoSlotsPerPage) {
    const int expected[] = {1, 1, 2, 2, 3, 3, 4, 4};
    for (int slot = 0; slot < 8; ++slot)
        EXPECT_EQ(page_of_tab_slot(slot), expected[slot]) << slot;
    EXPECT_EQ(page_of_tab_slot(-1), 0);
    EXPECT_EQ(page_of_tab_slot(8), 0);
}

TEST(PortEntry, NumberAfterCom) {
    EXPECT_EQ(port_number_of_entry("COM1"), 1);
    EXPECT_EQ(port_number_of_entry("COM9"), 9);
    EXPECT_EQ(port_number_of_entry("COM12"), 12);
    EXPECT_EQ(port_number_of_entry("COM30"), 30);
    // Three digits at most: a number beyond the ports is refused by the port selection.
    EXPECT_EQ(port_number_of_entry("COM123"), 123);
    EXPECT_EQ(port_number_of_entry("COM1234"), 123);
    EXPECT_EQ(port_number_of_entry("COM7x"), 7);
    EXPECT_EQ(port_number_of_entry("COM"), 0);
    EXPECT_EQ(port_number_of_entry(""), 0);
    EXPECT_EQ(port_number_of_entry("LPT1"), 0);
}

TEST(TransferProgress, PartDoneAndTimeLeftFromTheStepsSoFar) {
    EXPECT_EQ(progress_text(0, 160, 5000), "0%");
    EXPECT_EQ(progress_text(40, 160, 20'000), "25%  1:00 left");
    EXPECT_EQ(progress_text(159, 160, 70'000), "99%  0:01 left"); // rounded up, never 0:00
    EXPECT_EQ(progress_text(160, 160, 72'000), "100%  0:00 left");
    EXPECT_EQ(progress_text(3, 0, 10), "100%  0:00 left"); // a total below 1 counts as 1
    EXPECT_EQ(progress_text(1, 2, -5), "50%  0:00 left");  // a clock that went back
    EXPECT_EQ(progress_fill_width(0, 160, 185), 0);
    EXPECT_EQ(progress_fill_width(80, 160, 185), 92);
    EXPECT_EQ(progress_fill_width(200, 160, 185), 185);
    EXPECT_EQ(progress_fill_width(-1, 160, 185), 0);
}
