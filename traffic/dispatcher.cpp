#include "traffic/dispatcher.h"

#include "analysis/analysis_view.h"
#include "analysis/results_view.h"
#include "analysis/sampling_control.h"
#include "app/connection.h"
#include "app/layout.h"
#include "app/main_loop.h"
#include "app/program_state.h"
#include "database/transfer_buttons.h"
#include "link/serial_port.h"
#include "link/traffic_log.h"
#include "traffic/sample_receiver.h"
#include "ui/simple_graphics.h"

#include <string>

std::array<std::uint8_t, receive_buffer_size> receive_buffer{};
std::size_t receive_length = 0;
ClassSimpleGraphics* progress_panel = nullptr;

namespace {

void show_progress(std::size_t count) {
    if (current_mode == page_analysis && progress_panel)
        progress_panel->draw_text_filled(std::to_string(count).c_str(), colour_blue,
                                         colour_background, text_format_single_line);
}

void on_end_connected() {
    on_disconnected();
    stop_sampling_local();
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
    return count;
}

void dispatch_message() {
    const std::size_t length = read_message();
    // The 100 ms of silence that ended the message keep its burst open; naming it writes it.
    if (traffic_log_on())
        traffic_log_end_received(message_note(length));
    switch (classify_message(length)) {
    case MessageKind::end_connected: on_end_connected(); break;
    // Handled by the sample files (only while sampling is on).
    case MessageKind::sample_buffer: on_sample_buffer(); break;
    // Handled by the upload of the device database.
    case MessageKind::upload_image:
        on_upload_image_received(receive_buffer.data(), receive_length);
        break;
    case MessageKind::upload_table:
        on_upload_table_received(receive_buffer.data(), receive_length);
        break;
    // Stored as the next dump file and analysed.
    case MessageKind::memory_dump: on_memory_dump(receive_buffer.data(), receive_length); break;
    // Added to the session results.
    case MessageKind::session_result:
        add_session_result(receive_buffer.data(), receive_length);
        break;
    // Answered with the next stored sample file.
    case MessageKind::sample_request: on_sample_request(); break;
    case MessageKind::ignored: break;
    }
}
