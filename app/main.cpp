// ornivex_control: the service program of the VARDEN banknote detector.
#include "app/main_loop.h"
#include "link/program_end.h"
#include "link/serial_port.h"
#include "link/traffic_log_option.h"
#include "shell/shell_rules.h"
#include "varden_version.h"

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <string>

namespace {

constexpr const char* help_text =
    "Usage: ornivex_control [--traffic-log FILE] [--help | --version]\n"
    "\n"
    "Service window for the VARDEN banknote detector, connected over a serial line\n"
    "(COM1..COM30; an entry COMk in the working folder, such as a link to /dev/ttyUSB0,\n"
    "stands for port k). It switches the device into its connected state, collects and\n"
    "checks banknote samples, keeps the banknote database and loads it into the device,\n"
    "stores memory dumps and shows the results of counting runs.\n"
    "\n"
    "Every file it reads or writes is in the working folder, except the traffic log.\n"
    "\n"
    "SIGTERM, SIGINT and SIGHUP close it as closing the window does: the device is told\n"
    "to leave its connected and sampling states first.\n"
    "\n"
    "Options:\n";

} // namespace

int main(int argc, char** argv) {
    // A reader that went away (of the traffic log, of standard output) fails the writes, which
    // are checked, instead of ending the program.
    std::signal(SIGPIPE, SIG_IGN);
    std::string traffic_log_path;
    if (!take_traffic_log_option(argc, argv, traffic_log_path)) {
        std::fputs("ornivex_control: --traffic-log needs a file name\n", stderr);
        return 2;
    }
    switch (read_command_line(argc, argv)) {
    case CommandLineRequest::help:
        std::fputs(help_text, stdout);
        std::fputs(traffic_log_option_help, stdout);
        std::fputs("  -h, --help          show this text\n"
                   "  --version           print the version\n",
                   stdout);
        return finish_standard_output("ornivex_control", 0);
    case CommandLineRequest::version:
        std::printf("ornivex_control %s\n", varden_version);
        return finish_standard_output("ornivex_control", 0);
    case CommandLineRequest::invalid:
        std::fprintf(stderr,
                     "ornivex_control: unknown argument '%s' (see ornivex_control --help)\n",
                     argv[1]);
        return 2;
    case CommandLineRequest::run: break;
    }
    QApplication application(argc, argv);
    int status = 0;
    if (start_program()) {
        if (!traffic_log_path.empty())
            start_logging_traffic(traffic_log_path);
        close_on_termination_signals();
        status = main_loop();
    }
    close_all_ports();
    return status;
}
