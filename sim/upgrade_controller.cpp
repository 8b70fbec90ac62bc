#include "sim/upgrade_controller.h"

#include "formats/frames.h"
#include "formats/upgrade_frames.h"
#include "formats/upgrade_image.h"
#include "sim/reply_rules.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int code_accepted = 1;
constexpr int code_wrong_sum = 3;
constexpr int code_wrong_size = 5;
constexpr int code_wrong_command = 7;
constexpr int code_write_error = 8;

constexpr std::array<std::uint8_t, 4> control_header = {0xAA, 0x55, 0xAA, 0x55};

bool starts_with(const std::uint8_t* frame, std::size_t size,
                 const std::array<std::uint8_t, 4>& header) {
    return size >= header.size() && std::equal(header.begin(), header.end(), frame);
}

// Both frame kinds give their total length as 16 + the field at offset 6.
bool length_field_matches(const std::uint8_t* frame, std::size_t size) {
    return size >= 16 && size == 16u + get_u16(frame + 6);
}

bool sum_at_matches(const std::uint8_t* frame, std::size_t first, std::size_t sum_at) {
    return get_u32(frame + sum_at) == byte_sum(frame + first, sum_at - first);
}

int check_switch(const std::uint8_t* frame, std::size_t size) {
    if (size != command_frame_size || !length_field_matches(frame, size) || get_u16(frame + 8) != 0)
        return code_wrong_size;
    return sum_at_matches(frame, 4, 12) ? code_accepted : code_wrong_sum;
}

int check_connect(const std::uint8_t* frame, std::size_t size) {
    if (size != connect_frame_size || !length_field_matches(frame, size))
        return code_wrong_size;
    return sum_at_matches(frame, 4, 12) ? code_accepted : code_wrong_sum;
}

int check_test(const std::uint8_t* frame, std::size_t size) {
    if (size != test_memory_frame_size || !length_field_matches(frame, size) ||
        !std::equal(test_memory_request.begin(), test_memory_request.end(), frame + 12))
        return code_wrong_size;
    return sum_at_matches(frame, 4, 24) ? code_accepted : code_wrong_sum;
}

int check_write(const UpgradeController& controller, const std::uint8_t* frame, std::size_t size) {
    if (size < write_memory_overhead || !length_field_matches(frame, size))
        return code_wrong_size;
    const int blocks = get_u16(frame + 16);
    const std::size_t data_length = size - write_memory_overhead;
    if (blocks < 1 || blocks > max_blocks_per_write ||
        data_length != static_cast<std::size_t>(blocks) * upgrade_block_size ||
        get_u16(frame + 18) != data_length)
        return code_wrong_size;
    const std::size_t sums_at = write_memory_header_size + data_length;
    if (!sum_at_matches(frame, 12, sums_at) || !sum_at_matches(frame, 4, sums_at + 4))
        return code_wrong_sum;
    const std::uint64_t chunk = get_u32(frame + 12);
    if (chunk > controller.next_chunk ||
        chunk * bytes_per_chunk + data_length > controller.memory.size())
        return code_write_error;
    return code_accepted;
}

int check_frame(const UpgradeController& controller, int kind, const std::uint8_t* frame,
                std::size_t size) {
    // Connect needs the upgrade regime; writing and testing need a connect.
    const bool in_order =
        kind == upgrade_switch ||
        (kind == upgrade_connect ? controller.upgrade_regime : controller.connected);
    if (!in_order)
        return code_wrong_command;
    switch (kind) {
    case upgrade_switch: return check_switch(frame, size);
    case upgrade_connect: return check_connect(frame, size);
    case upgrade_write: return check_write(controller, frame, size);
    default: return check_test(frame, size);
    }
}

int planned_code(UpgradeReplyPlan& plan) {
    if (plan.codes.empty())
        return code_accepted;
    const int code = plan.codes[std::min(plan.next, plan.codes.size() - 1)];
    if (plan.next < plan.codes.size())
        ++plan.next;
    return code;
}

void apply_frame(UpgradeController& controller, int kind, const std::uint8_t* frame) {
    switch (kind) {
    case upgrade_switch:
        controller.upgrade_regime = true;
        controller.connected = false;
        break;
    case upgrade_connect:
        controller.connected = true;
        controller.next_chunk = 0;
        controller.written_end = 0;
        break;
    case upgrade_write: {
        const std::uint32_t chunk = get_u32(frame + 12);
        const std::size_t length = get_u16(frame + 18);
        const std::size_t address = static_cast<std::size_t>(chunk) * bytes_per_chunk;
        std::memcpy(controller.memory.data() + address, frame + write_memory_header_size, length);
        controller.written_end = std::max(controller.written_end, address + length);
        controller.next_chunk = std::max(controller.next_chunk, chunk + 1);
        controller.written_chunks.push_back(chunk);
        break;
    }
    default: break;
    }
}

void append_checksum(UpgradeController& controller, std::vector<std::uint8_t>& reply) {
    std::array<std::uint8_t, 4> checksum{};
    put_u32(checksum.data(), written_memory_checksum(controller));
    if (controller.next_checksum_fault < controller.checksum_faults.size()) {
        const int index = controller.checksum_faults[controller.next_checksum_fault++];
        checksum[static_cast<std::size_t>(index) % checksum.size()] += 1;
    }
    reply.insert(reply.end(), checksum.begin(), checksum.end());
}

} // namespace

int upgrade_frame_kind(const std::uint8_t* frame, std::size_t size) {
    if (size < 6)
        return -1;
    if (starts_with(frame, size, control_header))
        return frame[4] == frame_kind_byte && frame[5] == switch_to_upgrade_code ? upgrade_switch
                                                                                 : -1;
    if (!starts_with(frame, size, upgrade_frame_header))
        return -1;
    if (frame[4] == connect_kind && frame[5] == connect_code)
        return upgrade_connect;
    if (frame[4] == write_memory_kind && frame[5] == write_memory_code)
        return upgrade_write;
    if (frame[4] == test_memory_kind && frame[5] == test_memory_code)
        return upgrade_test;
    return -1;
}

int upgrade_kind_by_name(const std::string& name) {
    static constexpr std::array<const char*, upgrade_frame_kinds> names = {"switch", "connect",
                                                                           "write", "test"};
    for (std::size_t kind = 0; kind < names.size(); ++kind)
        if (name == names[kind])
            return static_cast<int>(kind);
    return -1;
}

std::vector<std::uint8_t> answer_upgrade_frame(UpgradeController& controller,
                                               const std::uint8_t* frame, std::size_t size) {
    const int kind = upgrade_frame_kind(frame, size);
    if (kind < 0)
        return {};
    UpgradeReplyPlan& plan = controller.plans[static_cast<std::size_t>(kind)];
    int code = check_frame(controller, kind, frame, size);
    if (code == code_accepted) {
        code = planned_code(plan);
        if (code == reply_silent)
            return {};
        if (code == code_accepted)
            apply_frame(controller, kind, frame);
    }
    std::vector<std::uint8_t> reply(static_cast<std::size_t>(plan.stray_before_start), stray_byte);
    reply.push_back(0xAA);
    reply.insert(reply.end(), static_cast<std::size_t>(plan.stray_before_second), stray_byte);
    reply.push_back(0x55);
    reply.push_back(static_cast<std::uint8_t>(code));
    if (kind == upgrade_test && (code == 0 || code == code_accepted))
        append_checksum(controller, reply);
    return reply;
}

void set_upgrade_replies(UpgradeController& controller, int kind, std::vector<int> codes) {
    UpgradeReplyPlan& plan = controller.plans[static_cast<std::size_t>(kind)];
    plan.codes = std::move(codes);
    plan.next = 0;
}

std::uint32_t written_memory_checksum(const UpgradeController& controller) {
    return upgrade_image_checksum(controller.memory.data(), controller.written_end);
}
