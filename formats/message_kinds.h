// The messages the device sends on its own carry no header: a message is a burst of bytes
// ended by 100 ms of silence, and its total length alone tells what it is.
#pragma once

#include <cstddef>
#include <string>

inline constexpr std::size_t receive_buffer_size = 17000;
inline constexpr int message_silence_ms = 100;
// The byte count is shown on the ANALYSIS page every this many bytes of a message.
inline constexpr std::size_t progress_step = 100;

enum class MessageKind {
    ignored,
    sample_buffer,  // 1566: sample image data and their sum
    end_connected,  // 7 or 8: the device has left its connected state
    upload_image,   // 2563: one side image of an uploaded database
    upload_table,   // 2666: the name/nominal table of an uploaded database
    memory_dump,    // 16048
    session_result, // 1442: the result of a counting run
    sample_request, // 20: the device asks for a stored sample
};

MessageKind classify_message(std::size_t length);

// What a message of `length` bytes is, for the traffic log: "memory dump (16048 bytes)",
// "unknown message (5 bytes)".
std::string message_note(std::size_t length);

// Whether a message of `count` bytes so far may store one more byte in the receive buffer.
bool receive_buffer_has_room(std::size_t count);
