// Every part of the simulated device registers its frame handlers and script commands here.
#pragma once

#include "sim/simulator.h"

// Answer rules and line output: result, silent, stray, broken, sequence, reset, send,
// send-file, wait, quit.
void register_line_commands(Simulator& sim);

// The control program's commands that change the device state (connect, disconnect, mode,
// sampling), and the script commands end-connected and state.
void register_control_commands(Simulator& sim);

// The controller side of the upgrade tool (switch, connect, write and test memory), and the
// script commands upgrade-reply, upgrade-stray, upgrade-gap, upgrade-corrupt-checksum,
// upgrade-state and upgrade-save.
void register_upgrade_module(Simulator& sim);

// The banknote database: keeps a download (commands 7, 5, 4, 8), sends it back on an upload
// request (commands 3, 6, 8), and the script commands database-state, database-mc and
// database-clear.
void register_database_module(Simulator& sim);

// Sampling: the script commands send-sample, request-sample and sample-reply.
void register_sampling_module(Simulator& sim);

// Memory dumps and session results built from given fields: send-dump and send-result.
void register_messages_module(Simulator& sim);

// All of the above: what the varden_sim program runs with.
void register_all_modules(Simulator& sim);
