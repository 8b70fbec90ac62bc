// Reading everything the device sends on its own. When a poll returned a byte, the main loop
// reads the rest of the message until the line has been silent for 100 ms, and hands it by its
// kind (its length) to the page that handles it.
#pragma once

#include "formats/message_kinds.h"

#include <array>
#include <cstddef>
#include <cstdint>

// The one buffer for every incoming message; it also carries a stored sample back to the
// device.
extern std::array<std::uint8_t, receive_buffer_size> receive_buffer;
// Bytes of the last message held in receive_buffer.
extern std::size_t receive_length;

// Reads the message that last_byte starts into receive_buffer and returns its length (0 when
// last_byte is -1). A message longer than the buffer is cut at the buffer's size; the byte
// that did not fit is dropped. A traffic log names the message by its length. On the ANALYSIS
// page the count of every 100 bytes is shown, on screen at most every 40 ms; the last count
// of a message is always shown.
std::size_t read_message();
