// Command exchanges with the device: a frame is written to the current port and answered by
// AA 55 and a result byte (formats/result_codes.h).
#pragma once

#include "formats/result_codes.h"

#include <cstdint>
#include <functional>

inline constexpr int command_tries = 3;

// Sends the short frame of `code` and returns the device's result.
int send_command(int code);

// Fills the frame around the payload at offset 12 of `frame` (length + 16 bytes) and returns
// the device's result.
int send_data(int code, int length, int block, std::uint8_t* frame);

// Sends the page frame (command 9) that tells the device which page `mode` (1..4) is shown.
// Returns the device's result.
int send_mode(int mode);

// Writes `count` raw bytes (no frame, nothing awaited). Returns 1.
int write_raw(int count, const std::uint8_t* buffer);

// Sends `code` through `send` up to three times, stopping at the first 1. Returns 1, or the
// third result, which the caller reports with its status line.
int send_with_retries(const std::function<int(int code)>& send, int code);
// send_with_retries over send_command.
int send_command_with_retries(int code);

// Reads an acknowledgement: up to 100 reads of 10 ms for 0xAA, then 0x55, then the result.
int await_acknowledgement();
