#include "upgrade/upgrade_dialogue.h"

#include "formats/frames.h"
#include "formats/upgrade_image.h"
#include "link/commands.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <istream>
#include <ostream>
#include <random>

namespace {

constexpr int connect_tries = 3;
constexpr int connect_retry_pause_ms = 10;

struct PackedImage {
    std::vector<std::uint8_t> bytes;
    int block_count;
    std::array<std::uint8_t, 4> checksum;
};

// Asks until the first character of the answer word is y/Y (true) or n/N (false). End of
// input counts as no: the question is not asked for ever.
bool wants_to(std::istream& in, std::ostream& out, const std::string& question) {
    for (;;) {
        out << question << std::flush;
        std::string word;
        if (!(in >> word))
            return false;
        if (word[0] == 'y' || word[0] == 'Y')
            return true;
        if (word[0] == 'n' || word[0] == 'N')
            return false;
    }
}

// The device's own texts for codes 2..5 and 7; code 6 and a missing reply read differently
// here than in the control program.
const char* device_code_text(int code) {
    return code == result_download_error || code == result_no_acknowledgement ? nullptr : command_result_text(code);
}

std::string unknown_error_text(int code) {
    return "Unknow error " + std::to_string(code) + "\n";
}

std::string switch_result_text(int code) {
    if (code == result_accepted)
        return "Switch to Upgrade Regime - O'k\n";
    if (const char* text = device_code_text(code))
        return std::string(text) + "\n";
    return unknown_error_text(code);
}

// The controller does not check the value at offset 8; it is a product of four random numbers.
std::uint32_t arbitrary_value(std::minstd_rand& random) {
    std::uint32_t value = 1;
    for (int i = 0; i < 4; ++i)
        value *= static_cast<std::uint32_t>(random());
    return value;
}

void name_reply(const UpgradePort& port, int code) {
    if (port.name_received)
        port.name_received(code == result_no_acknowledgement ? "no reply"
                                                             : "reply " + std::to_string(code));
}

// False when the frame could not be written.
bool write_frame(const UpgradePort& port, const std::uint8_t* frame, std::size_t size) {
    const int written = port.write(frame, size);
    if (port.name_sent)
        port.name_sent(upgrade_frame_note(frame, size));
    return written == 1;
}

int exchange(const UpgradePort& port, const std::uint8_t* frame, std::size_t size,
             const ReplyWait& wait) {
    if (!write_frame(port, frame, size))
        return result_no_acknowledgement; // nothing was sent, so nothing can answer
    const int code = read_reply_code(port.read_byte_within, wait);
    name_reply(port, code);
    return code;
}

int test_memory(const UpgradePort& port, std::minstd_rand& random,
                std::array<std::uint8_t, 4>& checksum) {
    const auto frame = test_memory_frame(arbitrary_value(random));
    if (!write_frame(port, frame.data(), frame.size()))
        return result_no_acknowledgement;
    const int code = read_test_memory_reply(port.read_byte_within, checksum);
    name_reply(port, code);
    return code;
}

int connect_with_retries(const UpgradePort& port) {
    const auto frame = connect_frame();
    int code = result_no_acknowledgement;
    for (int tries = 1; tries <= connect_tries; ++tries) {
        code = exchange(port, frame.data(), frame.size(), connect_reply_wait);
        if (code == result_accepted || tries == connect_tries)
            break;
        port.pause(connect_retry_pause_ms);
    }
    return code;
}

// Writes the packed image in frames of up to eight blocks; each frame is tried twice.
int write_image(const UpgradePort& port, std::ostream& out, std::minstd_rand& random,
                const PackedImage& image) {
    for (int first = 0; first < image.block_count; first += max_blocks_per_write) {
        const int blocks = std::min(image.block_count - first, max_blocks_per_write);
        const auto frame =
            write_memory_frame(first, image.bytes.data() + first * upgrade_block_size, blocks,
                               arbitrary_value(random));
        int code = exchange(port, frame.data(), frame.size(), write_memory_reply_wait);
        if (code != result_accepted)
            code = exchange(port, frame.data(), frame.size(), write_memory_reply_wait);
        if (code != result_accepted) {
            out << (code == 8 ? write_memory_error_text(first) : upgrade_failure_text(code));
            return 0;
        }
        out << "W" << std::flush;
    }
    return 1;
}

// Tests once more after a failed code and once more after a checksum that does not match.
int verify_image(const UpgradePort& port, std::ostream& out, std::minstd_rand& random,
                 const PackedImage& image) {
    std::array<std::uint8_t, 4> checksum{};
    int code = test_memory(port, random, checksum);
    if (code != result_accepted)
        code = test_memory(port, random, checksum);
    if (code == result_accepted && checksum != image.checksum)
        code = test_memory(port, random, checksum);
    if (code != result_accepted) {
        out << upgrade_failure_text(code);
        return 0;
    }
    if (checksum != image.checksum) {
        out << "\nERROR test controller memory\n";
        return 0;
    }
    out << "\nTest controller memory - O'k\n";
    return 1;
}

// One attempt from the switch command to the memory test. Returns 1 when the test passed.
int upgrade_attempt(const UpgradePort& port, std::ostream& out, std::minstd_rand& random,
                    const PackedImage& image) {
    out << "\n"
        << "\nSwitching to Upgrade Regime ...\n"
        << std::flush;
    const auto switch_frame = command_frame(switch_to_upgrade_code);
    out << switch_result_text(
        exchange(port, switch_frame.data(), switch_frame.size(), switch_reply_wait));

    out << "\n"
        << "\nConnecting ..." << std::flush;
    const int connected = connect_with_retries(port);
    if (connected != result_accepted) {
        out << upgrade_failure_text(connected);
        return 0;
    }
    out << "\nCounter connection - OK\n" << std::flush;
    if (write_image(port, out, random, image) != 1)
        return 0;
    out << "\n\nWrite controller memory - O'k\n" << std::flush;
    return verify_image(port, out, random, image);
}

PackedImage prepare_image(const std::vector<std::uint8_t>& words) {
    PackedImage image{pack_upgrade_image(words.data(), words.size()), 0, {}};
    image.block_count = upgrade_block_count(image.bytes.size());
    put_u32(image.checksum.data(), upgrade_image_checksum(image.bytes.data(), image.bytes.size()));
    return image;
}

// Asks for the COM number until a port in 1..20 opens. Returns 1 when it did.
int choose_port(std::istream& in, std::ostream& out, const UpgradePort& port) {
    for (;;) {
        out << "\nPlease enter COM number(valid 1-20) >>" << std::flush;
        std::string word;
        if (!(in >> word))
            return 0;
        const int number = com_number_value(word);
        if (number < lowest_com_number || number > highest_com_number)
            out << "\nERROR COM number(valid 1-20)\n";
        else if (port.open(number) == 1)
            return 1;
        else
            out << "\nERROR init COM-port\n";
        if (!wants_to(in, out, "\nWould you like to continue(y,n)? >>"))
            return 0;
    }
}

} // namespace

int com_number_value(const std::string& word) {
    std::size_t at = 0;
    const bool negative = !word.empty() && word[0] == '-';
    if (!word.empty() && (word[0] == '-' || word[0] == '+'))
        at = 1;
    long long value = 0;
    for (; at < word.size() && word[at] >= '0' && word[at] <= '9'; ++at)
        value = std::min(value * 10 + (word[at] - '0'), static_cast<long long>(INT_MAX) + 1);
    value = negative ? -value : std::min(value, static_cast<long long>(INT_MAX));
    return static_cast<int>(value);
}

std::string upgrade_failure_text(int code) {
    if (const char* text = device_code_text(code))
        return "\n" + std::string(text) + "\n";
    if (code == result_no_acknowledgement)
        return "\nERROR counter connection\n";
    return "\n" + unknown_error_text(code);
}

std::string write_memory_error_text(int first_block) {
    char text[64];
    std::snprintf(text, sizeof text, "\nError write controller memory, adr = 0x%X\n",
                  static_cast<unsigned>(first_block));
    return text;
}

int run_upgrade_dialogue(std::istream& in, std::ostream& out, const UpgradePort& port,
                         const std::vector<std::uint8_t>& image) {
    out << "ORNIVEX_VARDEN1_UPGRADE(V1.2) - Program for upgrade ORNIVEX VARDEN1 device\n"
        << "\n"
        << "UPGRADE_DATA from " << upgrade_image_name << "\n";
    if (!wants_to(in, out,
                  std::string("\nUpgrade ") + upgrade_image_name + " to ORNIVEX VARDEN(y,n)? >>"))
        return 0;
    if (choose_port(in, out, port) != 1)
        return 0;
    const PackedImage packed = prepare_image(image);
    std::minstd_rand random;
    for (;;) {
        if (upgrade_attempt(port, out, random, packed) == 1) {
            out << std::flush; // seen during the pause, not after it
            port.close();
            port.pause(success_pause_ms);
            return 0;
        }
        if (!wants_to(in, out, "\nWould you like to repeat(y,n)? >>"))
            return 0;
    }
}
