// What every program does about the ways it can end: the signals its caller ignored stay
// ignored, and what it wrote to standard output is checked before it reports success.
#pragma once

// Whether `signal_number` was set to be ignored by whoever started the program, as nohup does
// with SIGHUP: such a signal gets no handler and stays ignored.
bool signal_ignored_at_start(int signal_number);

// Flushes standard output and checks that everything written to it went out. Returns
// `status` when it did; otherwise names the failure on standard error ("PROGRAM: cannot write
// the standard output: REASON") and returns 1.
int finish_standard_output(const char* program, int status);

// The end of a console program that ran to its end: the traffic log's last line, the port
// released, standard output checked. Returns what finish_standard_output returns.
int end_program(const char* program, int status);
