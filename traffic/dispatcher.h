// Entry point of everything the device sends on its own. The main loop calls
// dispatch_message() when a poll returned a byte; the rest of the message is read until the
// line has been silent for 100 ms, and the message is handled by its length.
#pragma once

#include "traffic/message_kinds.h"

#include <array>
#include <cstddef>
#include <cstdint>

class ClassSimpleGraphics;

// The one buffer for every incoming message; it also carries a stored sample back to the
// device.
extern std::array<std::uint8_t, receive_buffer_size> receive_buffer;
// Bytes of the last message held in receive_buffer.
extern std::size_t receive_length;

// The byte count of a long message, shown on the ANALYSIS page; the page's builder creates
// it, and no count is shown before.
extern ClassSimpleGraphics* progress_panel;

// Reads the message that last_byte starts into receive_buffer and returns its length (0 when
// last_byte is -1). A message longer than the buffer is cut at the buffer's size; the byte
// that did not fit is dropped.
std::size_t read_message();

// Reads one message and handles it completely.
void dispatch_message();
