// The command line of varden_sim.
#pragma once

#include <string>
#include <vector>

struct SimOptions {
    std::string folder = ".";
    int port = 1;
    std::string record_path; // empty: <folder>/varden_sim.frames
    bool pace = false;
    bool help = false;
    bool version = false;
};

// Parses the arguments after the program name. Returns 1, or 0 with `error` set.
int parse_command_line(const std::vector<std::string>& args, SimOptions& options,
                       std::string& error);

// The usage text printed by --help, before the list of script commands.
std::string usage_text();
