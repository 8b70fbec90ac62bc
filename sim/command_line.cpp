#include "sim/command_line.h"

#include "sim/script_line.h"

int parse_command_line(const std::vector<std::string>& args, SimOptions& options,
                       std::string& error) {
    SimOptions parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--help") {
            parsed.help = true;
            continue;
        }
        if (option == "--version") {
            parsed.version = true;
            continue;
        }
        if (option == "--pace") {
            parsed.pace = true;
            continue;
        }
        if (option != "--dir" && option != "--port" && option != "--frames" &&
            option != "--record") {
            error = "unknown argument '" + option + "'";
            return 0;
        }
        if (i + 1 == args.size() || args[i + 1].empty()) {
            error = option + " needs a value";
            return 0;
        }
        const std::string& value = args[++i];
        long port = 0;
        if (option == "--dir") {
            parsed.folder = value;
        } else if (option == "--frames") {
            parsed.frames_path = value;
        } else if (option == "--record") {
            parsed.traffic_record_path = value;
        } else if (parse_number(value, 1, 30, port)) {
            parsed.port = static_cast<int>(port);
        } else {
            error = "--port takes a number 1..30, not '" + value + "'";
            return 0;
        }
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
