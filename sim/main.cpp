// varden_sim: the VARDEN device simulated on a pseudo-terminal, for tests, demos and training.
#include "link/traffic_log.h"
#include "sim/command_line.h"
#include "sim/device_loop.h"
#include "sim/modules.h"
#include "sim/pseudo_terminal.h"
#include "varden_version.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    SimOptions options;
    std::string error;
    if (!parse_command_line({argv + 1, argv + argc}, options, error)) {
        std::fprintf(stderr, "varden_sim: %s (see varden_sim --help)\n", error.c_str());
        return 2;
    }
    if (options.version) {
        std::printf("varden_sim %s\n", varden_version);
        return 0;
    }
    Simulator sim;
    register_all_modules(sim);
    if (options.help) {
        std::printf("%s%s", usage_text().c_str(), script_help(sim).c_str());
        return 0;
    }
    std::signal(SIGPIPE, SIG_IGN); // a driver that went away must not end us before cleanup
    const int stop_fd = open_stop_signals();
    sim.record = std::fopen(options.frames_path.c_str(), "w");
    if (!sim.record) {
        std::perror(("varden_sim: cannot write " + options.frames_path).c_str());
        return 1;
    }
    if (!options.traffic_record_path.empty() &&
        !start_traffic_log(options.traffic_record_path, "varden_sim", varden_version)) {
        std::perror(("varden_sim: cannot write " + options.traffic_record_path).c_str());
        return 1;
    }
    PseudoTerminal terminal;
    const int opened = open_linked_pseudo_terminal(options.folder, options.port, terminal, error);
    if (opened != 1) {
        std::fprintf(stderr, "varden_sim: %s\n", error.c_str());
        return opened < 0 ? 2 : 1;
    }
    const char* device_path = ::ptsname(terminal.master);
    traffic_log_port(options.port, device_path ? device_path : terminal.link_path, true);
    std::printf("ready COM%d\n", options.port);
    std::fflush(stdout);
    const int status = run_device_loop(sim, terminal, STDIN_FILENO, stop_fd, stdout, options.pace);
    close_pseudo_terminal(terminal);
    std::fclose(sim.record);
    return status;
}
