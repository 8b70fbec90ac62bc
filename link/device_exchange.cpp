#include "link/device_exchange.h"

#include "formats/frames.h"
#include "formats/result_codes.h"
#include "link/commands.h"

#include <array>
#include <cstring>

namespace {

std::array<std::uint8_t, largest_frame_payload + frame_overhead> frame_buffer{};

int send_frame(int code, int block, const std::uint8_t* payload, int length) {
    if (length < 0 || static_cast<std::size_t>(length) + frame_overhead > frame_buffer.size())
        return result_wrong_size;
    std::memcpy(frame_buffer.data() + frame_header_size, payload, static_cast<std::size_t>(length));
    return send_data(code, length, block, frame_buffer.data());
}

} // namespace

DeviceExchange link_exchange(std::function<void()> after_exchange,
                             std::function<void(int result)> show_command_error,
                             std::function<void(const std::string& text)> show_error,
                             std::function<void(const std::string& text)> show_info) {
    DeviceExchange exchange;
    exchange.send_command = [after_exchange](int code) {
        const int result = send_command(code);
        after_exchange();
        return result;
    };
    exchange.send_data = [after_exchange](int code, int block, const std::uint8_t* payload,
                                          int length) {
        const int result = send_frame(code, block, payload, length);
        after_exchange();
        return result;
    };
    exchange.show_command_error = std::move(show_command_error);
    exchange.show_error = std::move(show_error);
    exchange.show_info = std::move(show_info);
    return exchange;
}

void report_progress(const DeviceExchange& exchange, int done, int total) {
    if (exchange.show_progress)
        exchange.show_progress(done, total);
}
