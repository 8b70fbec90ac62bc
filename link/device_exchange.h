// What the download and the upload need of the device link and the status line, as callbacks:
// the window program passes the real link (link_exchange) with its status writers, the tests
// and the simulated device pass their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// The largest payload a transfer sends in one data frame: an image block of a download.
inline constexpr std::size_t largest_frame_payload = 1536;

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

// The exchange over the real device link: short commands and data frames go out through
// link/commands.h, each frame built in one buffer of the largest payload; a longer payload is
// refused as the device refuses it (result 5). `after_exchange` runs after every command or
// frame (the window repaints there); the status writers are the caller's.
DeviceExchange link_exchange(std::function<void()> after_exchange,
                             std::function<void(int result)> show_command_error,
                             std::function<void(const std::string& text)> show_error,
                             std::function<void(const std::string& text)> show_info);
