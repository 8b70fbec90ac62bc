// The command line of varden_sim.
#pragma once

#include <string>
#include <vector>

struct SimOptions {
    std::string folder = ".";
    int port = 1;
    std::string frames_path;         // the frame record; empty: <folder>/varden_sim.frames
    std::string traffic_record_path; // the traffic log of the device's side; empty: none
    bool pace = false;
    bool help = false;
    bool version = false;
};

// Parses the arguments after the program name. Returns 1, or 0 with `error` set.
int parse_command_line(const std::vector<std::string>& args, SimOptions& options,
                       std::string& error);

// The usage text printed by --help, before the list of script commands.
std::string usage_text();
