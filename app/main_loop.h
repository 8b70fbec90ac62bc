// Start-up, the main loop and the exit sequence of the window program. One thread does
// everything: it polls the port for the first byte of a device message, serves the window
// and watches the lists that do not report their selection changes.
#pragma once

#include <string>

// Reads the message that last_byte starts and hands it by its kind to the page that handles
// it; returns once it is fully handled.
void dispatch_message();

// Runs start-up up to the shown window: placement, ports, fonts, the seeded random
// generator, the window and its layout. Returns 1, or 0 when the window cannot be made (the
// user has then been told).
int start_program();

// Starts the traffic log into `path` (called after start_program; its first line names the
// current port). A log that cannot be created, or later cannot be written, is named on the
// status line once, and the program goes on without it. Returns 1 when the log runs.
int start_logging_traffic(const std::string& path);

// From now on SIGTERM, SIGINT and SIGHUP close the window as the user does, so that the exit
// sequence still tells the device. Returns 1, or 0 when the signals cannot be watched.
int close_on_termination_signals();

// One pass of the loop: the port, the per-page work, the window. With `may_sleep` and
// nothing to do it sleeps until a window event arrives or the port becomes readable.
// Returns 0 once the window was closed.
int main_loop_pass(bool may_sleep);

// Runs passes until the window is closed, then the exit sequence; returns the exit code.
int main_loop();

// Leaves the device's connected and sampling states and destroys the window. Returns 0.
int exit_sequence();
