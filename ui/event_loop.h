// The window's event loop: the main loop's serving of the window, with an idle sleep that the
// current port's first byte also ends; the repaint during a long operation; and the nested
// wait for the user's answer, which the port does not end.
#pragma once

// Serves the window's queue. With `sleep` and nothing waiting it sleeps until a window event
// arrives, the current port becomes readable or the chosen port's path changes.
void serve_window(bool sleep);

// The port and its watch no longer wake the loop (the program is ending).
void stop_watching_port();

// Lets the window repaint during a long operation; user input waits until it has ended.
void keep_window_drawn();

// A nested loop that waits for the user (the acceptance prompt): serves the window, sleeping
// as the idle main loop does, until `answered` returns true. Bytes the device sends meanwhile
// stay in the driver and wake nothing; keys reach the controls but not the pages' key
// handlers.
void wait_for_user_answer(bool (*answered)());
