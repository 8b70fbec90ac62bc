// Sampling on the simulated device: sample buffers from the seeded image generator, and the
// device's requests for stored samples with the bytes the control program sends back.
#include "sim/modules.h"
#include "sim/sample_generator.h"
#include "sim/script_line.h"

#include <algorithm>
#include <fstream>
#include <memory>

namespace {

// The device asks for a stored sample with 20 bytes; their content is not examined.
constexpr std::size_t sample_request_length = 20;
constexpr long max_seed = 0xFFFFFFFFL;

// The reply to the last request, as far as it has arrived.
struct StoredSampleCapture {
    std::vector<std::uint8_t> bytes;
    bool expecting = false;
};

using Capture = std::shared_ptr<StoredSampleCapture>;

bool seed_argument(const std::string& name, const std::string& word, std::uint32_t& seed,
                   std::string& message) {
    long value = 0;
    if (!parse_number(word, 0, max_seed, value)) {
        message = name + " '" + word + "' is not 0..0xFFFFFFFF";
        return false;
    }
    seed = static_cast<std::uint32_t>(value);
    return true;
}

bool kind_argument(const std::string& word, SampleKind& kind, std::string& message) {
    if (word == "usual")
        kind = SampleKind::usual;
    else if (word == "far")
        kind = SampleKind::far;
    else if (word == "wrong-sum")
        kind = SampleKind::wrong_sum;
    else {
        message = "KIND '" + word + "' is not usual, far or wrong-sum";
        return false;
    }
    return true;
}

ScriptOutcome send_sample(Simulator& sim, const std::vector<std::string>& arguments,
                          std::string& message) {
    std::uint32_t note = 0;
    std::uint32_t sample = 0;
    SampleKind kind = SampleKind::usual;
    if (!seed_argument("NOTE", arguments[0], note, message) ||
        !seed_argument("SAMPLE", arguments[1], sample, message) ||
        (arguments.size() > 2 && !kind_argument(arguments[2], kind, message)))
        return ScriptOutcome::malformed;
    const SampleBuffer buffer = generate_sample(note, sample, kind);
    queue_output(sim, std::vector<std::uint8_t>(buffer.begin(), buffer.end()));
    sim.script_waits_for_output = true;
    return ScriptOutcome::applied;
}

ScriptOutcome request_sample(Simulator& sim, const Capture& capture) {
    capture->bytes.clear();
    capture->expecting = true;
    queue_output(sim, std::vector<std::uint8_t>(sample_request_length, 0));
    sim.script_waits_for_output = true;
    return ScriptOutcome::applied;
}

ScriptOutcome sample_reply(const Capture& capture, const std::vector<std::string>& arguments,
                           std::string& message) {
    message = std::to_string(capture->bytes.size()) + " bytes";
    if (arguments.empty())
        return ScriptOutcome::applied;
    std::ofstream file(arguments[0], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(capture->bytes.data()),
               static_cast<std::streamsize>(capture->bytes.size()));
    file.close();
    if (!file) {
        message = "cannot write " + arguments[0];
        return ScriptOutcome::failed;
    }
    return ScriptOutcome::applied;
}

// Takes the raw bytes of a stored sample until 1566 have come; frames after them are scanned.
std::size_t take_reply_bytes(const Capture& capture, const std::uint8_t* bytes, std::size_t count) {
    if (!capture->expecting)
        return 0;
    const std::size_t taken = std::min(count, sample_buffer_size - capture->bytes.size());
    capture->bytes.insert(capture->bytes.end(), bytes, bytes + taken);
    capture->expecting = capture->bytes.size() < sample_buffer_size;
    return taken;
}

} // namespace

void register_sampling_module(Simulator& sim) {
    auto capture = std::make_shared<StoredSampleCapture>();
    sim.raw_input = [capture](Simulator&, const std::uint8_t* bytes, std::size_t count) {
        return take_reply_bytes(capture, bytes, count);
    };
    register_script_command(
        sim, "send-sample",
        {"NOTE SAMPLE [usual|far|wrong-sum]",
         "send a 1566-byte sample buffer of banknote NOTE, pass SAMPLE (seeds); far: far from "
         "the usual images, wrong-sum: a stored sum off by one",
         2, 3, send_sample});
    register_script_command(
        sim, "request-sample",
        {"", "ask for a stored sample (20 bytes) and record the 1566 bytes sent back", 0, 0,
         [capture](Simulator& device, const std::vector<std::string>&, std::string&) {
             return request_sample(device, capture);
         }});
    register_script_command(
        sim, "sample-reply",
        {"[FILE]",
         "answered ok N bytes: how much of the stored sample has come back; FILE keeps them", 0, 1,
         [capture](Simulator&, const std::vector<std::string>& arguments, std::string& message) {
             return sample_reply(capture, arguments, message);
         }});
}
