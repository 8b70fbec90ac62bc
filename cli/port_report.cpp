#include "cli/port_report.h"

#include "link/port_in_use.h"
#include "link/port_names.h"
#include "link/serial_port.h"

#include <climits>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string process_name(int pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

std::string holders_text(const PortReport& report) {
    std::string text;
    for (const PortHolder& holder : report.holders) {
        text += (text.empty() ? "" : ", ") + std::to_string(holder.pid);
        if (!holder.name.empty())
            text += " (" + holder.name + ")";
    }
    if (report.uucp_locked)
        text += text.empty() ? "a UUCP lock" : ", a UUCP lock";
    return text;
}

std::string shown_path(const PortReport& report) {
    return report.link_target.empty() ? report.path : report.path + " -> " + report.link_target;
}

} // namespace

PortReport inspect_port(int number) {
    PortReport report;
    report.number = number;
    report.path = port_device_path(number);
    struct stat entry {};
    if (::lstat(report.path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode)) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink(report.path.c_str(), target, sizeof target - 1);
        if (length > 0)
            report.link_target.assign(target, static_cast<std::size_t>(length));
    }
    struct stat device {};
    report.present = ::stat(report.path.c_str(), &device) == 0;
    if (!report.present)
        return report;
    for (const int pid : terminal_holders(report.path).user_pids)
        report.holders.push_back({pid, process_name(pid)});
    report.uucp_locked = uucp_lock_held(report.path);
    return report;
}

std::string port_report_line(const PortReport& report) {
    std::string line = port_entry_name(report.number) + "  " + shown_path(report) + "  ";
    if (!report.present)
        return line + "not there";
    const std::string holders = holders_text(report);
    return line + (holders.empty() ? "there  free" : "there  in use by " + holders);
}

std::string port_refusal_text(const PortReport& report) {
    const std::string port = port_entry_name(report.number) + " (" + shown_path(report) + ")";
    if (!report.present)
        return "Port " + port + " is not there";
    const std::string holders = holders_text(report);
    if (!holders.empty())
        return "Port " + port + " is in use by " + holders;
    return "Can't open port " + port;
}
