// The upgrade tool's reading of the controller's replies, byte by byte from a port that sends
// anything and falls silent at any point, alone and within the whole console dialogue.
//
// Input: a selector byte (0..3 one reply under the wait of the switch, connect, write and test
// frames; 4 a test memory reply; otherwise the dialogue, whose console text is the next
// `length` bytes, `length` being the byte after the selector), then the port's bytes. In the
// port's bytes FE is an escape: FE FE is the byte FE, FE and any other byte a time-out. After
// the input the port stays silent.
#include "formats/upgrade_frames.h"
#include "tests/fuzz/fuzz_input.h"
#include "upgrade/upgrade_dialogue.h"

#include <array>
#include <sstream>
#include <string>

namespace {

constexpr std::uint8_t escape_byte = 0xFE;
constexpr std::array<ReplyWait, 4> reply_waits = {switch_reply_wait, connect_reply_wait,
                                                  write_memory_reply_wait, test_memory_reply_wait};
// A 600-byte image: four blocks, so a write frame of four blocks.
constexpr std::size_t image_words = 150;

ByteReader port_bytes(FuzzInput& input) {
    return [&input](int ms) {
        FUZZ_CHECK(ms > 0);
        if (input.empty())
            return -1;
        const std::uint8_t byte = input.take_byte();
        if (byte != escape_byte)
            return static_cast<int>(byte);
        return input.take_byte() == escape_byte ? static_cast<int>(escape_byte) : -1;
    };
}

std::vector<std::uint8_t> upgrade_image() {
    std::vector<std::uint8_t> image(4 * image_words);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return image;
}

void run_dialogue(FuzzInput& input) {
    const std::size_t console_length = input.take_byte();
    const std::vector<std::uint8_t> console = input.take_bytes(console_length);
    std::istringstream in(std::string(console.begin(), console.end()));
    std::ostringstream out;
    bool open = false;
    UpgradePort port;
    port.open = [&open](int number) {
        FUZZ_CHECK(number >= lowest_com_number && number <= highest_com_number);
        open = true;
        return 1;
    };
    port.write = [&open](const std::uint8_t* bytes, std::size_t size) {
        FUZZ_CHECK(open && bytes != nullptr && size > 0);
        return 1;
    };
    port.read_byte_within = port_bytes(input);
    port.close = [&open] { open = false; };
    port.pause = [](int ms) { FUZZ_CHECK(ms > 0); };

    FUZZ_CHECK(run_upgrade_dialogue(in, out, port, upgrade_image()) == 0);
    for (const char c : out.str())
        FUZZ_CHECK(c == '\n' || (c >= 0x20 && c <= 0x7E));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input{data, size};
    const std::size_t selector = input.take_byte();
    if (selector < reply_waits.size()) {
        const int code = read_reply_code(port_bytes(input), reply_waits[selector]);
        FUZZ_CHECK(code >= -1 && code <= 255);
    } else if (selector == reply_waits.size()) {
        std::array<std::uint8_t, 4> checksum{};
        const int code = read_test_memory_reply(port_bytes(input), checksum);
        FUZZ_CHECK(code >= -1 && code <= 255);
    } else {
        run_dialogue(input);
    }
    return 0;
}
