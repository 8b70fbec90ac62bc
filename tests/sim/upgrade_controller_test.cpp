#include "formats/frames.h"
#include "formats/upgrade_frames.h"
#include "formats/upgrade_image.h"
#include "sim/reply_rules.h"
#include "sim/upgrade_controller.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

class UpgradeControllerTest : public ::testing::Test {
protected:
    template <typename Frame> Bytes send(const Frame& frame) {
        return answer_upgrade_frame(controller, frame.data(), frame.size());
    }
    Bytes send_switch() { return send(command_frame(switch_to_upgrade_code)); }
    Bytes send_connect() { return send(connect_frame()); }
    Bytes send_write(int first_block, int blocks) {
        return send(write_memory_frame(first_block, data.data() + first_block * 192, blocks, 77));
    }
    void connect() {
        ASSERT_EQ(send_switch(), (Bytes{0xAA, 0x55, 1}));
        ASSERT_EQ(send_connect(), (Bytes{0xAA, 0x55, 1}));
    }
    Bytes expected_test_reply(std::size_t written_bytes) {
        Bytes reply = {0xAA, 0x55, 1, 0, 0, 0, 0};
        put_u32(reply.data() + 3, upgrade_image_checksum(data.data(), written_bytes));
        return reply;
    }

    UpgradeController controller;
    Bytes data = [] {
        Bytes bytes(20 * 192);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
        return bytes;
    }();
};

TEST_F(UpgradeControllerTest, KeepsWhatIsWrittenAndAnswersItsChecksum) {
    connect();
    EXPECT_EQ(send_write(0, 8), (Bytes{0xAA, 0x55, 1}));
    EXPECT_EQ(send_write(8, 8), (Bytes{0xAA, 0x55, 1}));
    EXPECT_EQ(send_write(16, 3), (Bytes{0xAA, 0x55, 1}));
    EXPECT_EQ(controller.written_end, 19u * 192u);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 19 * 192, controller.memory.begin()));
    EXPECT_EQ(controller.written_chunks, (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_EQ(send(test_memory_frame(5)), expected_test_reply(19 * 192));

    // A new connect starts a new image.
    EXPECT_EQ(send_connect(), (Bytes{0xAA, 0x55, 1}));
    EXPECT_EQ(send_write(0, 1), (Bytes{0xAA, 0x55, 1}));
    EXPECT_EQ(send(test_memory_frame(5)), expected_test_reply(192));
}

TEST_F(UpgradeControllerTest, RefusesFramesOutOfOrder) {
    EXPECT_EQ(send_connect(), (Bytes{0xAA, 0x55, 7})); // not switched yet
    EXPECT_EQ(send_switch(), (Bytes{0xAA, 0x55, 1}));
    EXPECT_EQ(send_write(0, 8), (Bytes{0xAA, 0x55, 7})); // not connected
    EXPECT_EQ(send(test_memory_frame(5)), (Bytes{0xAA, 0x55, 7}));
    EXPECT_EQ(send_connect(), (Bytes{0xAA, 0x55, 1}));
    EXPECT_EQ(send_write(8, 8), (Bytes{0xAA, 0x55, 8})); // chunk 1 before chunk 0
    EXPECT_EQ(send_write(0, 8), (Bytes{0xAA, 0x55, 1}));
    EXPECT_EQ(send_write(0, 8), (Bytes{0xAA, 0x55, 1})); // a repeated chunk is fine
    // A chunk beyond the controller's memory.
    const Bytes block(192, 0);
    const std::size_t last_chunk = controller_memory_size / bytes_per_chunk;
    controller.next_chunk = static_cast<std::uint32_t>(last_chunk);
    EXPECT_EQ(send(write_memory_frame(static_cast<int>(last_chunk * 8), block.data(), 1, 0)),
              (Bytes{0xAA, 0x55, 8}));
    EXPECT_EQ(send(write_memory_frame(static_cast<int>(last_chunk * 8 - 8), block.data(), 1, 0)),
              (Bytes{0xAA, 0x55, 1}));
}

TEST_F(UpgradeControllerTest, ChecksTheWriteLayoutAndBothSums) {
    connect();
    const Bytes good = write_memory_frame(0, data.data(), 2, 0);
    auto answer = [&](Bytes frame) {
        return answer_upgrade_frame(controller, frame.data(), frame.size());
    };
    Bytes wrong_count = good;
    put_u16(wrong_count.data() + 16, 3);
    EXPECT_EQ(answer(wrong_count), (Bytes{0xAA, 0x55, 5}));
    Bytes wrong_data_length = good;
    put_u16(wrong_data_length.data() + 18, 192);
    EXPECT_EQ(answer(wrong_data_length), (Bytes{0xAA, 0x55, 5}));
    Bytes short_frame = good;
    short_frame.pop_back();
    EXPECT_EQ(answer(short_frame), (Bytes{0xAA, 0x55, 5}));
    // A data byte changed and the outer sum mended: only the inner sum finds it.
    Bytes inner_wrong = good;
    inner_wrong[20] += 1;
    const std::size_t outer = inner_wrong.size() - 4;
    put_u32(inner_wrong.data() + outer, byte_sum(inner_wrong.data() + 4, outer - 4));
    EXPECT_EQ(answer(inner_wrong), (Bytes{0xAA, 0x55, 3}));
    Bytes outer_wrong = good;
    outer_wrong.back() += 1;
    EXPECT_EQ(answer(outer_wrong), (Bytes{0xAA, 0x55, 3}));
    EXPECT_EQ(controller.written_end, 0u);
    EXPECT_EQ(answer(good), (Bytes{0xAA, 0x55, 1}));

    const auto test_frame = test_memory_frame(0);
    Bytes test(test_frame.begin(), test_frame.end());
    test[15] = 5; // the request bytes are fixed
    put_u32(test.data() + 24, byte_sum(test.data() + 4, 20));
    EXPECT_EQ(answer(test), (Bytes{0xAA, 0x55, 5}));
}

TEST_F(UpgradeControllerTest, ScriptedRepliesForFaultTests) {
    set_upgrade_replies(controller, upgrade_connect, {2, reply_silent, 1});
    controller.plans[upgrade_connect].stray_before_start = 2;
    controller.plans[upgrade_connect].stray_before_second = 1;
    ASSERT_EQ(send_switch(), (Bytes{0xAA, 0x55, 1}));
    const Bytes fault_reply = {stray_byte, stray_byte, 0xAA, stray_byte, 0x55};
    auto with_code = [&](std::uint8_t code) {
        Bytes reply = fault_reply;
        reply.push_back(code);
        return reply;
    };
    EXPECT_EQ(send_connect(), with_code(2));
    EXPECT_FALSE(controller.connected);
    EXPECT_EQ(send_connect(), Bytes{});
    EXPECT_EQ(send_connect(), with_code(1));
    EXPECT_EQ(send_connect(), with_code(1)); // the last code stays
    EXPECT_TRUE(controller.connected);

    // A write answered with an error is not stored.
    set_upgrade_replies(controller, upgrade_write, {4, 1});
    EXPECT_EQ(send_write(0, 1), (Bytes{0xAA, 0x55, 4}));
    EXPECT_EQ(controller.written_end, 0u);
    EXPECT_EQ(send_write(0, 1), (Bytes{0xAA, 0x55, 1}));

    controller.checksum_faults = {3};
    Bytes falsified = expected_test_reply(192);
    falsified[6] += 1;
    EXPECT_EQ(send(test_memory_frame(0)), falsified);
    EXPECT_EQ(send(test_memory_frame(0)), expected_test_reply(192));
    set_upgrade_replies(controller, upgrade_test, {0, 2});
    Bytes code_zero = expected_test_reply(192);
    code_zero[2] = 0;
    EXPECT_EQ(send(test_memory_frame(0)), code_zero);
    EXPECT_EQ(send(test_memory_frame(0)), (Bytes{0xAA, 0x55, 2}));
}

TEST(UpgradeFrameKinds, OnlyUpgradeFramesAreTaken) {
    const auto switch_frame = command_frame(switch_to_upgrade_code);
    const auto connect_command = command_frame(command_connect);
    EXPECT_EQ(upgrade_frame_kind(switch_frame.data(), switch_frame.size()), upgrade_switch);
    EXPECT_EQ(upgrade_frame_kind(connect_command.data(), connect_command.size()), -1);
    auto unknown = connect_frame();
    unknown[5] = 0x09;
    EXPECT_EQ(upgrade_frame_kind(unknown.data(), unknown.size()), -1);
    EXPECT_EQ(upgrade_kind_by_name("write"), upgrade_write);
    EXPECT_EQ(upgrade_kind_by_name("Write"), -1);
}

} // namespace
