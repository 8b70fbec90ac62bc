// The device exchange of a database transfer over the real device link: short commands and
// data frames go out through link/commands.h, each frame built in one buffer that holds the
// largest payload of a transfer (an image block).
#pragma once

#include "database/device_exchange.h"

#include <functional>

// `after_exchange` runs after every command or frame (the window repaints there); the
// status writers are the caller's.
DeviceExchange link_exchange(std::function<void()> after_exchange,
                             std::function<void(int result)> show_command_error,
                             std::function<void(const std::string& text)> show_error,
                             std::function<void(const std::string& text)> show_info);
