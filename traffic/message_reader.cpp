#include "traffic/message_reader.h"

#include "shell/program_state.h"
#include "shell/status_line.h"
#include "traffic/message_burst.h"
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
    receive_length = read_message_into(last_byte, receive_buffer.data(), [](std::size_t count) {
        show_progress(count);
        keep_window_drawn();
    });
    return receive_length;
}
