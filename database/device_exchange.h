// What the download and the upload need of the device link and the status line, as callbacks:
// the window program passes the real link (send_command, send_data, show_command_error) and
// status writers, the tests and the simulated device pass their own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct DeviceExchange {
    // A short command frame; returns the device's result (1 accepted).
    std::function<int(int code)> send_command;
    // A data frame with `length` payload bytes; returns the device's result.
    std::function<int(int code, int block, const std::uint8_t* payload, int length)> send_data;
    // Shows the text of a failed result (results without a text show nothing).
    std::function<void(int result)> show_command_error;
    std::function<void(const std::string& text)> show_error; // red status line
    std::function<void(const std::string& text)> show_info;  // green status line
    // `done` of `total` steps of a long transfer; may be empty.
    std::function<void(int done, int total)> show_progress;
};

// Reports progress when the exchange takes it.
void report_progress(const DeviceExchange& exchange, int done, int total);

// Sends `code` up to three times, stopping at the first result 1. Returns 1, or the result of
// the third try (not shown: the caller decides).
int command_with_retries(const DeviceExchange& exchange, int code);
