// The command line of varden_samples.
#pragma once

#include <ostream>
#include <string>
#include <vector>

enum class SamplesMode { window, list, png, set_aside, put_back, help, version, invalid };

struct SamplesCommand {
    SamplesMode mode = SamplesMode::window;
    std::string folder = ".";
    std::string prefix;             // --list, --png
    std::string png_file;           // --png
    bool set_aside = false;         // --list --set-aside
    std::vector<std::string> files; // --set-aside, --put-back
    std::string error;              // SamplesMode::invalid: what is wrong
};

// `arguments` without the program name:
//   [FOLDER] | --list [--set-aside] PREFIX [FOLDER] | --png FILE PREFIX [FOLDER] |
//   --set-aside FILE... | --put-back FILE... | --help | --version
SamplesCommand parse_samples_command(const std::vector<std::string>& arguments);

// --set-aside / --put-back: moves each of `command.files` (a sample file name, or its path;
// for --put-back also set_aside/NAME) and prints on `out` where it went, or on `errors` why
// not. 0 when every file was moved, 1 when one was not (the caller checks `out`).
int run_sample_moves(const SamplesCommand& command, std::ostream& out, std::ostream& errors);

// What --help prints.
std::string samples_help_text();
