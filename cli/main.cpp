// varden: the service work of the window program from a terminal, for scripts and for
// benches with several devices: ports, check, make, download, upload, dumps and results.
#include "cli/commands.h"
#include "cli/console_output.h"
#include "database/description_file.h"
#include "formats/results_file.h"
#include "link/program_end.h"
#include "link/serial_port.h"
#include "varden_version.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <set>
#include <unistd.h>

namespace {

constexpr int usage_error = 2;

// Ctrl-C, SIGTERM or the end of the terminal: the part of an upload is dropped and the port
// released, so that the next run (a normal user's too) opens it. A signal the caller set to be
// ignored (nohup) stays ignored.
void end_on_signal(int signal_number) {
    drop_partial_upload();
    close_all_ports();
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void end_on_signals() {
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP})
        if (!signal_ignored_at_start(signal_number))
            std::signal(signal_number, end_on_signal);
}

// The files named on the command line are files of the folder worked in.
bool plain_name(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

std::string check_db_name(const std::string& name) {
    if (!plain_name(name) || !name.ends_with(description_extension) ||
        name.size() == std::strlen(description_extension))
        return "a description file of the folder, NAME.dnl";
    return {};
}

std::string check_file_name(const std::string& name) {
    return plain_name(name) ? std::string()
                            : "a file of the folder (use -C DIR for another folder)";
}

int end_with(int status) {
    return end_program("varden", status);
}

} // namespace

int main(int argc, char** argv) {
    // A reader that went away fails the writes, which are checked, instead of ending the
    // program in the middle of a transfer.
    std::signal(SIGPIPE, SIG_IGN);

    CLI::App app{"The service work of the VARDEN device from a terminal: the ports, a check of\n"
                 "the connection, making and downloading a database (into several devices at\n"
                 "once), uploading it back, and the dumps and results of a folder.",
                 "varden"};
    app.set_version_flag("--version", std::string("varden ") + varden_version);
    std::string folder, traffic_log;
    bool quiet = false;
    app.add_option("-C", folder, "work in DIR instead of the working folder")->type_name("DIR");
    app.add_option("--traffic-log", traffic_log,
                   "write every byte exchanged with the device to FILE")
        ->type_name("FILE");
    app.add_flag("-q,--quiet", quiet, "print only errors");
    app.require_subcommand(1);
    app.footer("Exit status: 0 done, 1 the operation failed, 2 a usage error.\n"
               "See varden(1) for the files, the ports (COMk links and the fixed table) and a\n"
               "bench session.");

    CLI::App* ports = app.add_subcommand(
        "ports", "COM1..COM30: the path each opens, a link's target, whether the device is "
                 "there, and who holds it");

    int check_port = 0;
    CLI::App* check =
        app.add_subcommand("check", "connect to the device, tell it the page, disconnect");
    check->add_option("--port", check_port, "the port COMk, K = 1..30")
        ->required()
        ->type_name("K")
        ->check(CLI::Range(first_port_number, last_port_number));

    std::string make_name;
    CLI::App* make = app.add_subcommand(
        "make", "make the description file as \"Make DB file\" does (the make and the checks)");
    make->add_option("DB.dnl", make_name, "the description file")->required()->check(check_db_name);

    std::string download_name;
    std::vector<int> download_ports;
    bool download_make = false;
    CLI::App* download = app.add_subcommand(
        "download", "download the made file into the devices on the ports, all at once");
    download->add_option("DB.dnl", download_name, "the description file")
        ->required()
        ->check(check_db_name);
    download->add_option("--port", download_ports, "a port COMk, K = 1..30; may be repeated")
        ->required()
        ->type_name("K")
        ->allow_extra_args(false)
        ->check(CLI::Range(first_port_number, last_port_number));
    download->add_flag("--make", download_make,
                       "make the file first, as \"Make and Download DB\" does");

    int upload_port = 0;
    CLI::App* upload = app.add_subcommand(
        "upload", "upload the device's database into NAME.UPL, as \"Upload DB from VARDEN\"");
    upload->add_option("--port", upload_port, "the port COMk, K = 1..30")
        ->required()
        ->type_name("K")
        ->check(CLI::Range(first_port_number, last_port_number));

    bool dumps_csv = false;
    CLI::App* dumps = app.add_subcommand(
        "dumps", "the analysis line of every dump N.ram, as the ANALYSIS page lists them");
    dumps->add_flag("--csv", dumps_csv, "CSV records with a header row instead");

    std::string results_name;
    bool results_csv = false;
    CLI::App* results = app.add_subcommand("results", "the lines of a result file");
    results->add_option("FILE.res", results_name, "the result file")
        ->required()
        ->check(check_file_name);
    results->add_flag("--csv", results_csv,
                      "a CSV record for every denomination line with its session and currency");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return finish_standard_output("varden", status == 0 ? 0 : usage_error);
    }
    if (std::set<int>(download_ports.begin(), download_ports.end()).size() !=
        download_ports.size()) {
        std::fprintf(stderr, "varden: download: --port names a port twice\n");
        return usage_error;
    }
    if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "varden: cannot work in %s: %s\n", folder.c_str(),
                     std::strerror(errno));
        return 1;
    }
    set_console_output({"", quiet, ::isatty(STDERR_FILENO) == 1});
    end_on_signals();
    if (*download)
        return end_with(run_download(download_name, download_ports, download_make, traffic_log));
    start_console_traffic_log(traffic_log);
    if (*ports)
        return end_with(run_ports());
    if (*check)
        return end_with(run_check(check_port));
    if (*make)
        return end_with(run_make(make_name));
    if (*upload)
        return end_with(run_upload(upload_port));
    if (*dumps)
        return end_with(run_dumps(dumps_csv));
    return end_with(run_results(results_name, results_csv));
}
