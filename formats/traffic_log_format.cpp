#include "formats/traffic_log_format.h"

#include "formats/frames.h"
#include "formats/hex_digits.h"
#include "formats/result_codes.h"

#include <cstdio>
#include <cstring>

namespace {

std::string time_text(std::int64_t elapsed_us) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(elapsed_us / 1000),
                  static_cast<long long>(elapsed_us % 1000));
    return text;
}

void append_note(std::string& line, std::string_view what) {
    if (what.empty())
        return;
    line += "  # ";
    line += what;
}

const char* command_name(int code) {
    switch (code) {
    case command_start_sampling: return "start sampling";
    case command_stop_sampling: return "stop sampling";
    case command_request_upload: return "request upload";
    case command_name_table: return "name table";
    case command_image_block: return "image block";
    case command_continue_upload: return "continue upload";
    case command_open_download: return "open download";
    case command_end_transfer: return "end transfer";
    case command_mode: return "mode";
    case command_sample_acknowledge: return "sample acknowledge";
    case command_connect: return "connect";
    case command_disconnect: return "disconnect";
    default: return nullptr;
    }
}

} // namespace

std::string traffic_log_header(std::string_view wall_clock, std::string_view program,
                               std::string_view version, std::string_view port) {
    std::string line = "# ";
    line.append(wall_clock).append(" ").append(program).append(" ").append(version);
    line.append(" port ").append(port);
    return line;
}

bool is_traffic_log_header(std::string_view line) {
    constexpr std::string_view shape = "# 0000-00-00 00:00:00 "; // 0: any digit
    if (line.size() < shape.size())
        return false;
    for (std::size_t at = 0; at < shape.size(); ++at) {
        const bool digit = line[at] >= '0' && line[at] <= '9';
        if (shape[at] == '0' ? !digit : line[at] != shape[at])
            return false;
    }
    return line.find(" port ", shape.size()) != std::string_view::npos;
}

std::string traffic_log_end_note(int signal_number, int exit_status) {
    if (signal_number > 0) {
        const char* name = ::sigabbrev_np(signal_number);
        return "end by " +
               (name ? "SIG" + std::string(name) : "signal " + std::to_string(signal_number));
    }
    if (exit_status >= 0)
        return "end, exit status " + std::to_string(exit_status);
    return "end";
}

std::string traffic_log_line(std::int64_t elapsed_us, TrafficDirection direction,
                             const std::uint8_t* bytes, std::size_t count, std::string_view what) {
    std::string line = time_text(elapsed_us);
    line += direction == TrafficDirection::sent ? " >" : " <";
    line.reserve(line.size() + count * 3 + what.size() + 4);
    for (std::size_t i = 0; i < count; ++i) {
        line += ' ';
        append_hex_byte(line, bytes[i]);
    }
    append_note(line, what);
    return line;
}

std::string traffic_note_line(std::int64_t elapsed_us, std::string_view what) {
    std::string line = time_text(elapsed_us);
    append_note(line, what);
    return line;
}

std::string command_frame_note(const std::uint8_t* frame, std::size_t size) {
    if (size < command_frame_size)
        return {};
    const int code = frame[5];
    const std::size_t length = get_u16(frame + 6);
    std::string note = "command " + std::to_string(code);
    if (const char* name = command_name(code))
        note += std::string(" ") + name;
    if (code == command_image_block)
        note += " " + std::to_string(get_u16(frame + 8));
    else if (code == command_mode && length >= 1 && size > frame_header_size)
        note += " " + std::to_string(frame[frame_header_size]);
    return note;
}

std::string acknowledgement_note(int result, const char* result_text) {
    if (result == result_no_acknowledgement)
        return "no acknowledgement";
    const char* text = result == result_accepted ? "accepted" : result_text;
    return "acknowledgement " + std::to_string(result) + (text ? std::string(" ") + text : "");
}
