// What varden writes on the console: the status texts of the window, one a line (information
// on standard output, errors on standard error), each with the prefix of its port when several
// ports work at once, and the progress bar on standard error when that is a terminal.
#pragma once

#include <string>

struct ConsoleOutput {
    std::string prefix; // "COM3: " while several ports work at once, else empty
    bool quiet = false; // only errors
    bool bar = false;   // a progress bar may be drawn (standard error is a terminal)
};

// Sets how the lines are written from now on.
void set_console_output(const ConsoleOutput& output);
const ConsoleOutput& console_output();

// One status text as a line: information on standard output (not with --quiet), an error on
// standard error. Each line goes out in one write, so that the lines of several ports do not
// mix.
void print_info(const std::string& text);
void print_error(const std::string& text);

// The progress bar: `done` of `total` steps, with the part done and the time left, redrawn
// in place; nothing unless bars are on. The time counts from the first call after end_bar().
void show_bar(int done, int total);
// Takes the bar off the line.
void end_bar();

// The first error printed (for the summary of a port), empty when none.
const std::string& first_error();
