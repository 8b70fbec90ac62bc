// The command-line option of the traffic log, shared by both programs:
// "--traffic-log FILE" or "--traffic-log=FILE".
#pragma once

#include <string>

// Takes the option out of argv (argc shrinks), so that the rest is read as before, and puts
// its FILE into `path` (unchanged without the option). Returns 1, or 0 when the option has
// no file name.
int take_traffic_log_option(int& argc, char** argv, std::string& path);

inline constexpr const char* traffic_log_option_help =
    "  --traffic-log FILE  write every byte exchanged with the device to FILE, one line a\n"
    "                      burst: milliseconds since start, > sent or < received, the bytes\n"
    "                      in hex, and after # what they are\n";
