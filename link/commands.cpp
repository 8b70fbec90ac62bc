#include "link/commands.h"

#include "formats/frames.h"
#include "formats/traffic_log_format.h"
#include "link/serial_port.h"
#include "link/traffic_log.h"

#include <array>

namespace {

constexpr int reply_wait_ms = 10;
constexpr int start_byte_tries = 100;

int exchange(const std::uint8_t* frame, std::size_t size) {
    purge_and_write(frame, size);
    if (traffic_log_on())
        traffic_log_end_sent(command_frame_note(frame, size));
    return await_acknowledgement();
}

int logged_result(int result) {
    if (traffic_log_on())
        traffic_log_end_received(acknowledgement_note(result, command_result_text(result)));
    return result;
}

} // namespace

int await_acknowledgement() {
    bool found_start = false;
    for (int tries = 0; tries < start_byte_tries && !found_start; ++tries)
        found_start = read_byte_within(reply_wait_ms) == 0xAA;
    if (!found_start || read_byte_within(reply_wait_ms) != 0x55)
        return logged_result(result_no_acknowledgement);
    return logged_result(read_byte_within(reply_wait_ms));
}

int send_command(int code) {
    const auto frame = command_frame(code);
    return exchange(frame.data(), frame.size());
}

int send_data(int code, int length, int block, std::uint8_t* frame) {
    fill_data_frame(code, static_cast<std::uint16_t>(length), static_cast<std::uint16_t>(block),
                    frame);
    return exchange(frame, static_cast<std::size_t>(length) + frame_overhead);
}

int write_raw(int count, const std::uint8_t* buffer) {
    if (count > 0)
        purge_and_write(buffer, static_cast<std::size_t>(count));
    return 1;
}

int send_with_retries(const std::function<int(int code)>& send, int code) {
    int result = result_no_acknowledgement;
    for (int tries = 0; tries < command_tries; ++tries) {
        result = send(code);
        if (result == result_accepted)
            break;
    }
    return result;
}

int send_mode(int mode) {
    std::array<std::uint8_t, frame_overhead + 2> frame{};
    frame[frame_header_size] = static_cast<std::uint8_t>(mode);
    frame[frame_header_size + 1] = 0;
    return send_data(command_mode, 2, 0, frame.data());
}

int send_command_with_retries(int code) {
    return send_with_retries(send_command, code);
}
