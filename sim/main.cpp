// varden_sim: the VARDEN device simulated on a pseudo-terminal, for tests, demos and training.
#include "formats/traffic_log_format.h"
#include "link/program_end.h"
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

namespace {

// Once, when the traffic log of the device's side cannot be written any more.
void report_traffic_log_failure(const std::string& path) {
    std::fprintf(stderr, "varden_sim: cannot write the traffic log %s; going on without it\n",
                 path.c_str());
}

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN); // a driver that went away must not end us before cleanup
    SimOptions options;
    std::string error;
    if (!parse_command_line({argv + 1, argv + argc}, options, error)) {
        std::fprintf(stderr, "varden_sim: %s (see varden_sim --help)\n", error.c_str());
        return 2;
    }
    if (options.version) {
        std::printf("varden_sim %s\n", varden_version);
        return finish_standard_output("varden_sim", 0);
    }
    Simulator sim;
    register_all_modules(sim);
    if (options.help) {
        std::printf("%s%s", usage_text().c_str(), script_help(sim).c_str());
        return finish_standard_output("varden_sim", 0);
    }
    const int stop_fd = open_stop_signals();
    sim.record = std::fopen(options.frames_path.c_str(), "w");
    if (!sim.record) {
        std::perror(("varden_sim: cannot write " + options.frames_path).c_str());
        return 1;
    }
    std::string refusal;
    if (!options.traffic_record_path.empty() &&
        !start_traffic_log(options.traffic_record_path, "varden_sim", varden_version, nullptr,
                           &refusal)) {
        std::fprintf(stderr, "varden_sim: cannot write %s: %s\n",
                     options.traffic_record_path.c_str(), refusal.c_str());
        return 1;
    }
    set_traffic_log_failure_report(report_traffic_log_failure);
    PseudoTerminal terminal;
    const int opened = open_linked_pseudo_terminal(options.folder, options.port, terminal, error);
    if (opened != 1) {
        std::fprintf(stderr, "varden_sim: %s\n", error.c_str());
        return opened < 0 ? 2 : 1;
    }
    const char* device_path = ::ptsname(terminal.master);
    traffic_log_port(options.port, device_path ? device_path : terminal.link_path, true);
    std::printf("ready COM%d\n", options.port);
    const int status = std::fflush(stdout) == 0 ? run_device_loop(sim, terminal, STDIN_FILENO,
                                                                  stop_fd, stdout, options.pace)
                                                : 1;
    close_pseudo_terminal(terminal);
    std::fclose(sim.record);
    stop_traffic_log(traffic_log_end_note(0, status));
    return finish_standard_output("varden_sim", status);
}
