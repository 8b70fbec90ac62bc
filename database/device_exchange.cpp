#include "database/device_exchange.h"

int command_with_retries(const DeviceExchange& exchange, int code) {
    constexpr int tries = 3;
    int result = 0;
    for (int attempt = 0; attempt < tries; ++attempt) {
        result = exchange.send_command(code);
        if (result == 1)
            break;
    }
    return result;
}

void report_progress(const DeviceExchange& exchange, int done, int total) {
    if (exchange.show_progress)
        exchange.show_progress(done, total);
}
