// What `varden ports` tells of a port, and the text of a port that cannot be taken.
#pragma once

#include <string>
#include <vector>

struct PortHolder {
    int pid = 0;
    std::string name; // from /proc/PID/comm, empty when it cannot be read
};

struct PortReport {
    int number = 0;
    std::string path;        // what the port opens: "COM3" (an entry here) or "/dev/ttyS2"
    std::string link_target; // where the entry leads, empty for the fixed table
    bool present = false;    // the device behind the path exists
    std::vector<PortHolder> holders;
    bool uucp_locked = false; // a live UUCP lock names the device
};

// Looks at port `number` (1..30) in the working folder and in /proc; touches nothing.
PortReport inspect_port(int number);

// "COM3  COM3 -> /dev/pts/4  there  in use by 1234 (minicom)"; the fixed table shows as
// "COM1  /dev/ttyS0  not there". Pure.
std::string port_report_line(const PortReport& report);

// Why a port could not be taken, from its report: "Port COM3 (/dev/ttyUSB2) is not there",
// "... is in use by 1234 (minicom)", or "Can't open port COM3 (...)". Pure.
std::string port_refusal_text(const PortReport& report);
