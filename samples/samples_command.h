// The command line of varden_samples.
#pragma once

#include <string>
#include <vector>

enum class SamplesMode { window, list, png, help, version, invalid };

struct SamplesCommand {
    SamplesMode mode = SamplesMode::window;
    std::string folder = ".";
    std::string prefix;   // --list, --png
    std::string png_file; // --png
    std::string error;    // SamplesMode::invalid: what is wrong
};

// `arguments` without the program name:
//   [FOLDER] | --list PREFIX [FOLDER] | --png FILE PREFIX [FOLDER] | --help | --version
SamplesCommand parse_samples_command(const std::vector<std::string>& arguments);

// What --help prints.
std::string samples_help_text();
