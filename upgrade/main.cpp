// ornivex_upgrade: writes the controller program image into the device over a serial line and
// verifies it with the controller's memory checksum.
#include "link/serial_port.h"
#include "link/traffic_log.h"
#include "link/traffic_log_option.h"
#include "upgrade/upgrade_dialogue.h"
#include "upgrade/upgrade_image.h"
#include "varden_version.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <iostream>
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
           "The exit status is 0 whatever the outcome of the upgrade; any other argument is\n"
           "refused with status 2.\n"
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

// Ctrl-C or the end of the terminal: the port is released before the signal ends the tool, so
// that the next run, a normal user's too, can open it.
void release_ports_and_end(int signal_number) {
    close_all_ports();
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

} // namespace

int main(int argc, char** argv) {
    std::string traffic_log_path;
    if (!take_traffic_log_option(argc, argv, traffic_log_path)) {
        std::cerr << "ornivex_upgrade: --traffic-log needs a file name\n";
        return 2;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        print_help();
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "ornivex_upgrade " << varden_version << "\n";
        return 0;
    }
    if (argc > 1) {
        std::cerr << "ornivex_upgrade: unknown argument '" << argv[1]
                  << "' (the tool takes no arguments; see ornivex_upgrade --help)\n";
        return 2;
    }
    if (!traffic_log_path.empty()) {
        if (start_traffic_log(traffic_log_path, "ornivex_upgrade", varden_version))
            set_traffic_log_failure_report(report_traffic_log_failure);
        else
            report_traffic_log_failure(traffic_log_path);
    }
    std::vector<std::uint8_t> image;
    const int loaded = read_upgrade_image(upgrade_image_name, image);
    if (loaded != image_loaded) {
        std::cout << upgrade_image_error_text(loaded) << std::flush;
        return 0;
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
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal_number, release_ports_and_end);
    const int status = run_upgrade_dialogue(std::cin, std::cout, port, image);
    close_all_ports();
    return status;
}
