#include "link/traffic_log_option.h"

#include <string_view>

int take_traffic_log_option(int& argc, char** argv, std::string& path) {
    constexpr std::string_view option = "--traffic-log";
    int kept = 1;
    for (int at = 1; at < argc; ++at) {
        const std::string_view argument = argv[at];
        if (argument == option) {
            if (at + 1 == argc || argv[at + 1][0] == '\0')
                return 0;
            path = argv[++at];
        } else if (argument.starts_with(option) && argument[option.size()] == '=') {
            if (argument.size() == option.size() + 1)
                return 0;
            path = std::string(argument.substr(option.size() + 1));
        } else {
            argv[kept++] = argv[at];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    return 1;
}
