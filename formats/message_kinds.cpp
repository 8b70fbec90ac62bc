#include "formats/message_kinds.h"

MessageKind classify_message(std::size_t length) {
    switch (length) {
    case 1566: return MessageKind::sample_buffer;
    case 7:
    case 8: return MessageKind::end_connected;
    case 2563: return MessageKind::upload_image;
    case 2666: return MessageKind::upload_table;
    case 16048: return MessageKind::memory_dump;
    case 1442: return MessageKind::session_result;
    case 20: return MessageKind::sample_request;
    default: return MessageKind::ignored;
    }
}

bool receive_buffer_has_room(std::size_t count) {
    return count < receive_buffer_size;
}

std::string message_note(std::size_t length) {
    const char* name = "unknown message";
    switch (classify_message(length)) {
    case MessageKind::sample_buffer: name = "sample buffer"; break;
    case MessageKind::end_connected: name = "end of the connected state"; break;
    case MessageKind::upload_image: name = "upload side image"; break;
    case MessageKind::upload_table: name = "upload name table"; break;
    case MessageKind::memory_dump: name = "memory dump"; break;
    case MessageKind::session_result: name = "session result"; break;
    case MessageKind::sample_request: name = "request for a stored sample"; break;
    case MessageKind::ignored: break;
    }
    return std::string(name) + " (" + std::to_string(length) + (length == 1 ? " byte)" : " bytes)");
}
