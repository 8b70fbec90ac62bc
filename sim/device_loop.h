// The event loop of the simulated device: frames from the line, script commands from a
// descriptor, answers and messages back onto the line. It sleeps in poll() between events.
#pragma once

#include "sim/pseudo_terminal.h"
#include "sim/simulator.h"

#include <cstdio>

// Blocks SIGINT, SIGTERM and SIGHUP (those not ignored at start: nohup's SIGHUP stays
// ignored) and returns a descriptor that becomes readable when one
// of them arrives (so that the loop ends cleanly and the link is removed), or -1.
int open_stop_signals();

// Runs on the terminal's master until `quit`, a stop signal, or a malformed script line, and
// releases the port when a program that held it was killed. Acknowledgements go to `acks`.
// Returns the exit status: 0, 1 when `acks` cannot be written, or 2 after a malformed line
// (reported on stderr).
int run_device_loop(Simulator& sim, PseudoTerminal& terminal, int script_fd, int stop_fd,
                    std::FILE* acks, bool pace);
