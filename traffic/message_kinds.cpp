#include "traffic/message_kinds.h"

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
