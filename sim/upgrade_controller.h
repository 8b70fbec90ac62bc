// The controller side of the upgrade tool's exchange: the switch command (short command 16),
// connect, write memory and test memory. It checks each frame, keeps the written memory and
// answers the checksum of what was written. Replies can be scripted per frame kind for fault
// tests: result codes in sequence, silence, stray bytes, corrupted checksums. A frame answered
// with a code other than 1 is not acted on: the controller refused it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum UpgradeFrameKind : int {
    upgrade_switch = 0,
    upgrade_connect,
    upgrade_write,
    upgrade_test,
    upgrade_frame_kinds,
};

// A reply plan entry that sends nothing at all.
inline constexpr int reply_silent = -1;
// Bytes of written controller memory: the largest image the tool accepts, packed.
inline constexpr std::size_t controller_memory_size = 196608;

struct UpgradeReplyPlan {
    // Codes for successive valid frames; the last one stays for every later frame.
    std::vector<int> codes = {1};
    std::size_t next = 0;
    int stray_before_start = 0;  // bytes sent before the 0xAA
    int stray_before_second = 0; // bytes sent between the 0xAA and the 0x55
};

struct UpgradeController {
    std::array<UpgradeReplyPlan, upgrade_frame_kinds> plans;
    // For successive test replies: the index (0..3) of the checksum byte to falsify.
    std::vector<int> checksum_faults;
    std::size_t next_checksum_fault = 0;
    bool upgrade_regime = false;
    bool connected = false;
    std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(controller_memory_size, 0);
    std::size_t written_end = 0;               // bytes written since the last connect
    std::uint32_t next_chunk = 0;              // a write may repeat a chunk but not skip one
    std::vector<std::uint32_t> written_chunks; // every accepted write, in order
};

// The kind of a complete frame, or -1 when it is none of the upgrade frames.
int upgrade_frame_kind(const std::uint8_t* frame, std::size_t size);

// "switch", "connect", "write", "test" to a kind; -1 for any other word.
int upgrade_kind_by_name(const std::string& name);

// The bytes to send in answer to a complete frame (empty when the reply is silent or the frame
// is not an upgrade frame).
std::vector<std::uint8_t> answer_upgrade_frame(UpgradeController& controller,
                                               const std::uint8_t* frame, std::size_t size);

// Answers successive valid frames of `kind` with `codes` (reply_silent for no answer); the last
// code stays for every later frame.
void set_upgrade_replies(UpgradeController& controller, int kind, std::vector<int> codes);

// The checksum the controller answers a memory test with.
std::uint32_t written_memory_checksum(const UpgradeController& controller);
