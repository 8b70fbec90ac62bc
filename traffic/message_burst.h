// Reading one message the device sends on its own: the bytes that follow its first byte
// until the line has been silent for 100 ms.
#pragma once

#include "formats/message_kinds.h"

#include <cstddef>
#include <cstdint>
#include <functional>

// Reads the message that `next_byte` (a byte as 0..255, or -1) starts into `buffer` (of
// receive_buffer_size bytes) and returns its length (0 when `next_byte` is -1). A message
// longer than the buffer is cut at the buffer's size; the byte that did not fit is left in
// `next_byte`, otherwise it ends as -1. `every_step` (may be empty) gets the count after every
// progress_step bytes. A traffic log names the message by its length.
std::size_t read_message_into(int& next_byte, std::uint8_t* buffer,
                              const std::function<void(std::size_t count)>& every_step);
