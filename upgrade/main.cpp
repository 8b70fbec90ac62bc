// ornivex_upgrade: writes the controller program image into the device over a serial line and
// verifies it with the controller's memory checksum.
#include "formats/traffic_log_format.h"
#include "formats/upgrade_image.h"
#include "link/port_names.h"
#include "link/program_end.h"
#include "link/serial_port.h"
#include "link/traffic_log.h"
#include "link/traffic_log_option.h"
#include "upgrade/upgrade_dialogue.h"
#include "varden_version.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <iostream>
#include <pthread.h>
#include <thread>

namespace {

void print_help() {
    std::cout
        << "Usage: ornivex_upgrade [--traffic-log FILE] [--help | --version]\n"
           "\n"
           "Writes the controller program image "
        << upgrade_image_name
        << "\n"
           "from the working folder into the ORNIVEX VARDEN1 device and verifies it with the\n"
           "controller's memory checksum. The tool asks on the console for the go-ahead and for\n"
           "the COM number (1-20); the port is COMk in the working folder when such an entry\n"
           "exists (e.g. a link made with `ln -s /dev/ttyUSB0 COM3`), otherwise COM1-COM10 are\n"
           "/dev/ttyS0-9 and COM11-COM20 /dev/ttyUSB0-9.\n"
           "\n"
           "The image file holds little-endian 32-bit words (at most "
        << upgrade_image_max_size
        << " bytes).\n"
           "The exit status is 0 whatever the outcome of the upgrade, 1 when the tool's output\n"
           "cannot be written; any other argument is refused with status 2.\n"
           "\n"
           "Options:\n"
        << traffic_log_option_help
        << "  -h, --help          show this text\n"
           "  --version           print the version\n";
}

// A log that cannot be written is named once; the upgrade goes on without it.
void report_traffic_log_failure(const std::string& path) {
    std::cout << "\nCan't write traffic log " << path << "\n" << std::flush;
}

// The tool's own files, which a log never takes: the image and the ports' entries.
bool is_own_file(std::string_view name) {
    return name == upgrade_image_name || is_port_entry_name(name);
}

// Ctrl-C, SIGTERM or the end of the terminal: a thread of its own waits for them, so that the
// traffic log gets what is open and a last line before the port is released and the signal
// ends the tool; the next run, a normal user's too, can open the port. A signal the caller set
// to be ignored (nohup) stays ignored.
void end_on_signals() {
    sigset_t ends;
    sigemptyset(&ends);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP})
        if (!signal_ignored_at_start(signal_number))
            sigaddset(&ends, signal_number);
    if (sigisemptyset(&ends) || ::pthread_sigmask(SIG_BLOCK, &ends, nullptr) != 0)
        return;
    std::thread([ends] {
        int signal_number = 0;
        if (::sigwait(&ends, &signal_number) != 0)
            return;
        stop_traffic_log(traffic_log_end_note(signal_number, -1));
        close_all_ports();
        std::signal(signal_number, SIG_DFL);
        sigset_t this_one;
        sigemptyset(&this_one);
        sigaddset(&this_one, signal_number);
        ::pthread_sigmask(SIG_UNBLOCK, &this_one, nullptr);
        std::raise(signal_number);
    }).detach();
}

int end_with(int status) {
    return end_program("ornivex_upgrade", status);
}

} // namespace

int main(int argc, char** argv) {
    // A reader that went away (of the traffic log, of the console output) fails the writes,
    // which are checked, instead of ending the tool in the middle of an upgrade.
    std::signal(SIGPIPE, SIG_IGN);
    std::string traffic_log_path;
    if (!take_traffic_log_option(argc, argv, traffic_log_path)) {
        std::cerr << "ornivex_upgrade: --traffic-log needs a file name\n";
        return 2;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        print_help();
        return finish_standard_output("ornivex_upgrade", 0);
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "ornivex_upgrade " << varden_version << "\n";
        return finish_standard_output("ornivex_upgrade", 0);
    }
    if (argc > 1) {
        std::cerr << "ornivex_upgrade: unknown argument '" << argv[1]
                  << "' (the tool takes no arguments; see ornivex_upgrade --help)\n";
        return 2;
    }
    end_on_signals();
    std::string refusal;
    if (!traffic_log_path.empty()) {
        if (start_traffic_log(traffic_log_path, "ornivex_upgrade", varden_version, is_own_file,
                              &refusal))
            set_traffic_log_failure_report(report_traffic_log_failure);
        else
            report_traffic_log_failure(traffic_log_path + " (" + refusal + ")");
    }
    std::vector<std::uint8_t> image;
    const int loaded = read_upgrade_image(upgrade_image_name, image);
    if (loaded != image_loaded) {
        std::cout << upgrade_image_error_text(loaded) << std::flush;
        return end_with(0);
    }
    UpgradePort port{
        open_port,
        purge_and_write,
        read_byte_within,
        close_current_port,
        [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
        {},
        {},
    };
    if (traffic_log_on()) {
        port.name_sent = traffic_log_end_sent;
        port.name_received = traffic_log_end_received;
    }
    return end_with(run_upgrade_dialogue(std::cin, std::cout, port, image));
}
