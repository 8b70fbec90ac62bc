#include "shell/shell_rules.h"

#include <algorithm>
#include <cstring>

WindowOrigin window_origin(int screen_width, int screen_height) {
    return {std::max((screen_width - client_width) / 2, 0),
            std::max((screen_height - client_height) / 2 - 10, 0)};
}

CommandLineRequest read_command_line(int argc, const char* const* argv) {
    if (argc <= 1)
        return CommandLineRequest::run;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
        return CommandLineRequest::help;
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return CommandLineRequest::version;
    return CommandLineRequest::invalid;
}

int page_of_tab_slot(int slot) {
    if (slot < 0 || slot > 7)
        return 0;
    return slot / 2 + 1;
}

int port_number_of_entry(std::string_view entry) {
    constexpr std::string_view prefix = "COM";
    if (entry.substr(0, prefix.size()) != prefix)
        return 0;
    int number = 0;
    for (std::size_t at = prefix.size(); at < entry.size() && at < prefix.size() + 3; ++at) {
        if (entry[at] < '0' || entry[at] > '9')
            break;
        number = number * 10 + (entry[at] - '0');
    }
    return number;
}
