#include "traffic/message_reader.h"

#include "link/serial_port.h"
#include "link/traffic_log.h"
#include "shell/program_state.h"
#include "shell/status_line.h"
#include "ui/event_loop.h"

#include <string>

std::array<std::uint8_t, receive_buffer_size> receive_buffer{};
std::size_t receive_length = 0;

namespace {

void show_progress(std::size_t count) {
    if (current_mode == page_analysis)
        show_progress_count(std::to_string(count).c_str());
}

} // namespace

std::size_t read_message() {
    std::size_t count = 0;
    while (last_byte != -1) {
        if (!receive_buffer_has_room(count))
            break;
        receive_buffer[count] = static_cast<std::uint8_t>(last_byte);
        ++count;
        if (count % progress_step == 0) {
            show_progress(count);
            keep_window_drawn();
        }
        last_byte = read_byte_within(message_silence_ms);
    }
    receive_length = count;
    // The 100 ms of silence that ended the message keep its burst open; naming it writes it.
    if (traffic_log_on() && count > 0)
        traffic_log_end_received(message_note(count));
    return count;
}
