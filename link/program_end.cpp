#include "link/program_end.h"

#include "formats/traffic_log_format.h"
#include "link/serial_port.h"
#include "link/traffic_log.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>

bool signal_ignored_at_start(int signal_number) {
    struct sigaction current {};
    return ::sigaction(signal_number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

int finish_standard_output(const char* program, int status) {
    errno = 0;
    std::cout.flush();
    const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout) && std::cout.good();
    const int error = errno;
    if (flushed)
        return status;
    // The reason is known when the last flush failed; an earlier write's is gone by now.
    std::fprintf(stderr, "%s: cannot write the standard output%s%s\n", program,
                 error != 0 ? ": " : "", error != 0 ? std::strerror(error) : "");
    return 1;
}

int end_program(const char* program, int status) {
    stop_traffic_log(traffic_log_end_note(0, status));
    close_all_ports();
    return finish_standard_output(program, status);
}
