#include "traffic/dispatcher.h"

#include "link/serial_port.h"
#include "link/traffic_log.h"
#include "shell/program_state.h"
#include "shell/status_line.h"
#include "ui/event_loop.h"

#include <chrono>
#include <string>

std::array<std::uint8_t, receive_buffer_size> receive_buffer{};
std::size_t receive_length = 0;

namespace {

using Clock = std::chrono::steady_clock;

// The count follows a message on screen at most this often: a person sees no more, and at
// line speed every step would cost a drawing and a pass of the window's events.
constexpr auto progress_pace = std::chrono::milliseconds(40);
Clock::time_point progress_shown_at;

// Whether the pace lets the count of this step on screen; a step it holds back may be the
// last of its message, which read_message() shows when the message has ended.
bool progress_due() {
    const Clock::time_point now = Clock::now();
    if (now - progress_shown_at < progress_pace)
        return false;
    progress_shown_at = now;
    return true;
}

void show_progress(std::size_t count) {
    if (current_mode == page_analysis)
        show_progress_count(std::to_string(count).c_str());
    keep_window_drawn();
}

} // namespace

std::size_t read_message() {
    std::size_t count = 0;
    std::size_t held_back = 0; // a step's count that the pace kept off the screen
    while (last_byte != -1) {
        if (!receive_buffer_has_room(count))
            break;
        receive_buffer[count] = static_cast<std::uint8_t>(last_byte);
        ++count;
        if (count % progress_step == 0) {
            held_back = count;
            if (progress_due()) {
                show_progress(count);
                held_back = 0;
            }
        }
        last_byte = read_byte_within(message_silence_ms);
    }
    if (held_back > 0)
        show_progress(held_back);
    receive_length = count;
    // The 100 ms of silence that ended the message keep its burst open; naming it writes it.
    if (traffic_log_on() && count > 0)
        traffic_log_end_received(message_note(count));
    return count;
}
