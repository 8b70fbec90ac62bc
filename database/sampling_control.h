// Sampling on the SAMPLING page: starting and stopping it, the indicator and the marks of the
// row and sides being sampled, the sample buffers received meanwhile, the prompt for a sample
// whose image does not fit the row's samples, "Delete last sample", and the MC (correction
// percentage) button.
#pragma once

#include "database/row_text.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The row of the database table that carries the sampling marks.
extern int sampling_row;
// The sample file written last while sampling; "Delete last sample" removes it.
extern std::string last_sample_name;
// Set by ACCEPT and DO NOT ACCEPT while the acceptance prompt waits.
extern int accept_pressed;
extern int reject_pressed;

// The sampling button: start (command 1) or stop (command 2), three tries each.
void toggle_sampling();
// Asks the device to stop sampling (command 2, three tries); once it has, the page returns to
// its not-sampling state. Also what a disconnection does on the SAMPLING page.
void stop_sampling();
// Returns the page to its not-sampling state without telling the device.
void stop_sampling_local();
// The only writer of `sampling_on`: the flag with its lamp, state panel, button, the controls
// shown only while sampling, and the side buttons hidden (starting shows them again).
void set_sampling(int on);
// The indicator lamp alone: on (1) or off (0); the page's builder draws it off.
void set_sampling_indicator(int on);
// The MC button: the next correction percentage.
void cycle_mc();
// The main loop's handler of the database table: the marks follow the selected row, and the
// edit fields show its name, extension and nominal.
void on_database_row_selected();
// A side radio button was clicked: while sampling the marks show the side now chosen.
void on_side_button_clicked();
// Asks the technician about a sample judged wrong; 1 keep it, 0 drop it (also when the window
// is closed meanwhile).
int acceptance_prompt();
// Repaints the side column headers around the radio buttons.
void refresh_side_headers();
void delete_last_sample();
void accept_button();
void reject_button();

// A 1566-byte sample buffer from the device, while sampling is on: acknowledged, checked, and
// kept as the next numbered sample file of the selected row and side (after the acceptance
// prompt when its image does not fit the row's samples).
void on_sample_buffer(const std::uint8_t* message, std::size_t length);
