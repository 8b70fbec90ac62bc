// The device's unprompted traffic: the input is cut into bursts at arbitrary points (the
// pauses between messages), each burst is read into the receive buffer as the dispatcher reads
// it and handed, by its length, to the pure handler of that kind of message.
//
// Each burst is a control byte and its bytes:
//   bits 0..3  0..7 one of the lengths the device sends (1566, 7, 8, 2563, 2666, 16048, 1442,
//              20); 8..15 any length 1..20000, from the next two bytes;
//   bit 4      the last four bytes are set to the sum of the others (a message that passes
//              its sum check);
//   bit 5      the device refuses every command of this message (result 2);
//   bit 6      the file writes of this message fail;
//   bit 7      sampling is on.
// The bytes come from the input; where it has run out they are zero.
#include "analysis/dump_analysis.h"
#include "analysis/session_results.h"
#include "database/description_file.h"
#include "files/folder_files.h"
#include "files/typed_names.h"
#include "formats/message_kinds.h"
#include "formats/sample_file.h"
#include "tests/fuzz/fuzz_input.h"
#include "traffic/upload_flow.h"

#include <algorithm>
#include <array>
#include <map>
#include <stdlib.h>
#include <string>

namespace {

constexpr std::array<std::size_t, 8> device_lengths = {1566, 7, 8, 2563, 2666, 16048, 1442, 20};
constexpr std::size_t longest_burst = 20000;

struct Conditions {
    bool sum_fixed;
    bool commands_refused;
    bool writes_fail;
    bool sampling_on;
};

// What the handlers keep between messages.
struct Traffic {
    UploadState upload;
    std::map<std::string, std::string> upload_files;
    Envelope envelope;
    int dump_counter = 0;
    std::vector<std::uint8_t> last_stored_sample;
};

void put_sum(std::vector<std::uint8_t>& message) {
    if (message.size() < 5)
        return;
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 4 < message.size(); ++i)
        sum += message[i];
    for (std::size_t i = 0; i < 4; ++i)
        message[message.size() - 4 + i] = static_cast<std::uint8_t>(sum >> (8 * i));
}

void on_upload_message(Traffic& traffic, const std::vector<std::uint8_t>& message,
                       const Conditions& conditions) {
    DeviceExchange exchange;
    exchange.send_command = [&](int) { return conditions.commands_refused ? 2 : 1; };
    exchange.send_data = [](int, int, const std::uint8_t*, int) { return 1; };
    exchange.show_command_error = [](int) {};
    exchange.show_error = [](const std::string& text) { FUZZ_CHECK(!text.empty()); };
    exchange.show_info = [](const std::string& text) { FUZZ_CHECK(!text.empty()); };
    const TextFileWriter write_text = [&](const std::string& name, const std::string& text,
                                          bool append) {
        FUZZ_CHECK(is_acceptable_file_name(name));
        if (conditions.writes_fail)
            return 0;
        std::string& file = traffic.upload_files[name];
        file = append ? file + text : text;
        return 1;
    };
    if (message.size() == upload_table_message_size)
        on_table_message(traffic.upload, message.data(), message.size(), exchange, write_text);
    else
        on_image_message(traffic.upload, message.data(), message.size(), exchange, write_text);

    const UploadState& state = traffic.upload;
    FUZZ_CHECK(state.upload_row >= 0 && state.upload_row <= upload_rows);
    FUZZ_CHECK(state.upload_row == 0 ? state.upload_side == 0
                                     : state.upload_side >= 1 && state.upload_side <= 4);
    FUZZ_CHECK(state.upload_row <= state.table.used_rows);
}

// The folder of this run's sample file, made once.
const std::string& sample_folder() {
    static const std::string folder = [] {
        char name[] = "/tmp/varden_fuzz_XXXXXX";
        FUZZ_CHECK(mkdtemp(name) != nullptr);
        return std::string(name);
    }();
    return folder;
}

std::string stored_sample_path() {
    return sample_folder() + "/USD_1_1.bin";
}

void on_sample_buffer(Traffic& traffic, const std::vector<std::uint8_t>& message,
                      const Conditions& conditions) {
    if (!conditions.sampling_on || !sample_checksum_ok(message))
        return;
    add_to_envelope(traffic.envelope, message);
    if (conditions.writes_fail)
        return;
    FUZZ_CHECK(write_sample_file(stored_sample_path(), message) == 1);
    traffic.last_stored_sample = message;
}

void on_memory_dump(Traffic& traffic, const std::vector<std::uint8_t>& message) {
    ++traffic.dump_counter;
    const std::string line = analyse_dump(traffic.dump_counter, message.data(), message.size());
    FUZZ_CHECK(is_printable(line));
}

void on_session_result(const std::vector<std::uint8_t>& message) {
    const LocalDateTime when{2024, 2, 29, 23, 59, 58};
    for (const std::string& line : session_result_lines(message.data(), message.size(), when)) {
        FUZZ_CHECK(line.size() == 63);
        FUZZ_CHECK(is_printable(line));
    }
}

// The request bytes are not examined; the reply is the stored sample exactly as it was
// received, or zeros when none was stored in this run.
void on_sample_request(const Traffic& traffic) {
    std::array<std::uint8_t, sample_buffer_size> reply;
    const int loaded = load_stored_sample(stored_sample_path(), reply);
    if (traffic.last_stored_sample.empty())
        return;
    FUZZ_CHECK(loaded == 1);
    FUZZ_CHECK(std::equal(reply.begin(), reply.end(), traffic.last_stored_sample.begin()));
}

void handle_message(Traffic& traffic, const std::vector<std::uint8_t>& message,
                    const Conditions& conditions) {
    switch (classify_message(message.size())) {
    case MessageKind::sample_buffer: on_sample_buffer(traffic, message, conditions); break;
    case MessageKind::upload_image:
    case MessageKind::upload_table: on_upload_message(traffic, message, conditions); break;
    case MessageKind::memory_dump: on_memory_dump(traffic, message); break;
    case MessageKind::session_result: on_session_result(message); break;
    case MessageKind::sample_request: on_sample_request(traffic); break;
    case MessageKind::end_connected:
    case MessageKind::ignored: break;
    }
}

// Reads a burst as the dispatcher does: at most a receive buffer full makes a message, the
// byte that did not fit is dropped and the rest starts the next message. Each message is
// handed over in a buffer of its own length.
void read_burst(Traffic& traffic, const std::vector<std::uint8_t>& burst,
                const Conditions& conditions) {
    std::size_t offset = 0;
    while (offset < burst.size()) {
        std::size_t count = 0;
        while (offset + count < burst.size() && receive_buffer_has_room(count))
            ++count;
        FUZZ_CHECK(count <= receive_buffer_size);
        std::vector<std::uint8_t> message(burst.begin() + static_cast<std::ptrdiff_t>(offset),
                                          burst.begin() +
                                              static_cast<std::ptrdiff_t>(offset + count));
        if (conditions.sum_fixed)
            put_sum(message);
        handle_message(traffic, message, conditions);
        offset += count;
        if (offset < burst.size())
            ++offset;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input{data, size};
    Traffic traffic;
    reset_envelope(traffic.envelope);
    traffic.dump_counter = static_cast<int>(input.take_u32() % 200000);
    while (!input.empty()) {
        const std::uint8_t control = input.take_byte();
        const std::size_t selector = control & 0x0F;
        const std::size_t length = selector < device_lengths.size()
                                       ? device_lengths[selector]
                                       : 1 + input.take_u16() % longest_burst;
        const Conditions conditions{(control & 0x10) != 0, (control & 0x20) != 0,
                                    (control & 0x40) != 0, (control & 0x80) != 0};
        read_burst(traffic, input.take_bytes(length), conditions);
    }
    return 0;
}
