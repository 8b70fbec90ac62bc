#include "traffic/message_burst.h"

#include "link/serial_port.h"
#include "link/traffic_log.h"

std::size_t read_message_into(int& next_byte, std::uint8_t* buffer,
                              const std::function<void(std::size_t count)>& every_step) {
    std::size_t count = 0;
    while (next_byte != -1) {
        if (!receive_buffer_has_room(count))
            break;
        buffer[count] = static_cast<std::uint8_t>(next_byte);
        ++count;
        if (count % progress_step == 0 && every_step)
            every_step(count);
        next_byte = read_byte_within(message_silence_ms);
    }
    // The 100 ms of silence that ended the message keep its burst open; naming it writes it.
    if (traffic_log_on() && count > 0)
        traffic_log_end_received(message_note(count));
    return count;
}
