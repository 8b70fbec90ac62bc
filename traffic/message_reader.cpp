#include "traffic/message_reader.h"

#include "shell/program_state.h"
#include "shell/status_line.h"
#include "traffic/message_burst.h"
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
    std::size_t held_back = 0; // a step's count that the pace kept off the screen
    receive_length =
        read_message_into(last_byte, receive_buffer.data(), [&held_back](std::size_t count) {
            held_back = count;
            if (progress_due()) {
                show_progress(count);
                held_back = 0;
            }
        });
    if (held_back > 0)
        show_progress(held_back);
    return receive_length;
}
