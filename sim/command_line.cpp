#include "sim/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>

int parse_command_line(const std::vector<std::string>& args, SimOptions& options,
                       std::string& error) {
    SimOptions parsed;
    CLI::App app;
    app.set_help_flag(); // --help prints the script commands too: main prints it
    app.add_flag("--help", parsed.help);
    app.add_flag("--version", parsed.version);
    app.add_flag("--pace", parsed.pace);
    const auto not_empty = [](const std::string& value) {
        return value.empty() ? std::string("needs a value") : std::string();
    };
    app.add_option("--dir", parsed.folder)->check(not_empty);
    app.add_option("--port", parsed.port)->check(CLI::Range(1, 30));
    app.add_option("--frames", parsed.frames_path)->check(not_empty);
    app.add_option("--record", parsed.traffic_record_path)->check(not_empty);
    std::vector<std::string> reversed(args.rbegin(), args.rend()); // as CLI11 takes them
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& refused) {
        error = refused.what();
        return 0;
    }
    if (parsed.frames_path.empty())
        parsed.frames_path = parsed.folder + "/varden_sim.frames";
    options = parsed;
    return 1;
}

std::string usage_text() {
    return "usage: varden_sim [--dir DIR] [--port K] [--frames FILE] [--record FILE] [--pace]\n"
           "                  [--help] [--version]\n"
           "\n"
           "Acts as the VARDEN device on a pseudo-terminal linked as DIR/COMK.\n"
           "  --dir DIR      folder of the COMK link (default: the working folder)\n"
           "  --port K       port number 1..30 (default 1)\n"
           "  --frames FILE  frame record (default DIR/varden_sim.frames)\n"
           "  --record FILE  traffic log of the device's side, in the lines of the programs'\n"
           "                 --traffic-log (> sent by the device, < received)\n"
           "  --pace         send at the pace of 38400 baud, 11 bits a byte\n"
           "  --help         show this text\n"
           "  --version      print the version\n"
           "\n"
           "Prints \"ready COMK\" when the link exists, then reads commands from standard\n"
           "input, one a line ('#' starts a comment), and answers each with \"ok [TEXT]\" or\n"
           "\"error TEXT\". A malformed line ends the program with status 2.\n"
           "\n"
           "Commands (CODE is a command code 0..255, numbers decimal or 0x hexadecimal):\n";
}
