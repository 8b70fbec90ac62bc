#include "formats/upgrade_frames.h"
#include "formats/upgrade_image.h"

#include <algorithm>
#include <deque>
#include <gtest/gtest.h>
#include <utility>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t le32(const std::uint8_t* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

std::uint32_t plain_sum(const Bytes& bytes, std::size_t from, std::size_t to_inclusive) {
    std::uint32_t sum = 0;
    for (std::size_t i = from; i <= to_inclusive; ++i)
        sum += bytes[i];
    return sum;
}

TEST(UpgradeFrames, ConnectAndTestMemoryBytes) {
    const auto connect = connect_frame();
    EXPECT_EQ(Bytes(connect.begin(), connect.end()),
              (Bytes{0xAA, 0xAA, 0xAA, 0x55, 0x50, 0x08, 0, 0, 0, 0, 0, 0, 0x58, 0, 0, 0}));

    const auto test = test_memory_frame(0x04030201);
    // 0x50 + 0x40 + 0x0C + 1 + 2 + 3 + 4 + 4 + 4 = 0xAE
    EXPECT_EQ(
        Bytes(test.begin(), test.end()),
        (Bytes{0xAA, 0xAA, 0xAA, 0x55, 0x50, 0x40, 0x0C, 0x00, 0x01, 0x02, 0x03, 0x04, 0, 0,
               0,    4,    0,    0,    0,    0,    4,    0,    0,    0,    0xAE, 0,    0, 0}));
}

// Splits a packed image into frames as the tool does and checks every layout field and both
// sums against a computation of its own.
TEST(UpgradeFrames, WriteMemoryFramesCoverTheImage) {
    struct Case {
        int blocks, frames, last_blocks;
    };
    for (const Case c : {Case{72, 9, 8}, Case{75, 10, 3}, Case{1, 1, 1}}) {
        SCOPED_TRACE(c.blocks);
        Bytes packed(static_cast<std::size_t>(c.blocks) * 192);
        for (std::size_t i = 0; i < packed.size(); ++i)
            packed[i] = static_cast<std::uint8_t>(0xFF - i * 7);
        int frames = 0;
        for (int first = 0; first < c.blocks; first += 8, ++frames) {
            const int n = std::min(c.blocks - first, 8);
            const std::uint32_t value = 0xDEADBEEF + static_cast<std::uint32_t>(first);
            const Bytes frame = write_memory_frame(first, packed.data() + first * 192, n, value);
            const std::size_t data = 192u * n;
            ASSERT_EQ(frame.size(), 28 + data);
            EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 6),
                      (Bytes{0xAA, 0xAA, 0xAA, 0x55, 0x30, 0x40}));
            EXPECT_EQ(frame[6] | (frame[7] << 8), static_cast<int>(data + 12));
            EXPECT_EQ(frame.size(), 16u + (frame[6] | (frame[7] << 8)));
            EXPECT_EQ(le32(&frame[8]), value);
            EXPECT_EQ(le32(&frame[12]), static_cast<std::uint32_t>(frames));
            EXPECT_EQ(frame[16] | (frame[17] << 8), n);
            EXPECT_EQ(frame[18] | (frame[19] << 8), static_cast<int>(data));
            EXPECT_TRUE(std::equal(frame.begin() + 20, frame.begin() + 20 + data,
                                   packed.begin() + first * 192));
            EXPECT_EQ(le32(&frame[20 + data]), plain_sum(frame, 12, 19 + data));
            EXPECT_EQ(le32(&frame[24 + data]), plain_sum(frame, 4, 23 + data));
            if (first + 8 >= c.blocks) {
                EXPECT_EQ(n, c.last_blocks); // 75 blocks: n = 3, length field 588
            }
        }
        EXPECT_EQ(frames, c.frames);
    }
}

// A line that hands out scripted bytes and records how long each read was allowed to wait.
struct ScriptedLine {
    std::deque<int> bytes; // -1 is a read that times out
    std::vector<int> waits;
    ByteReader reader() {
        return [this](int ms) {
            waits.push_back(ms);
            if (bytes.empty())
                return -1;
            const int byte = bytes.front();
            bytes.pop_front();
            return byte;
        };
    }
};

TEST(UpgradeReplies, SwitchReplyTakesNoBytesBetweenStartAndSecondByte) {
    ScriptedLine good{{0x00, 0x13, 0xAA, 0x55, 0x04}, {}};
    EXPECT_EQ(read_reply_code(good.reader(), switch_reply_wait), 4);
    EXPECT_EQ(good.waits, (std::vector<int>{10, 10, 10, 10, 10}));

    ScriptedLine doubled{{0xAA, 0xAA, 0x55, 0x01}, {}};
    EXPECT_EQ(read_reply_code(doubled.reader(), switch_reply_wait), -1);

    ScriptedLine silent;
    EXPECT_EQ(read_reply_code(silent.reader(), switch_reply_wait), -1);
    EXPECT_EQ(silent.waits, std::vector<int>(100, 10));
}

TEST(UpgradeReplies, OtherRepliesSkipBytesBeforeTheSecondByte) {
    ScriptedLine gap{{0xAA, 0x00, 0xAA, 0x13, 0x55, 0x01}, {}};
    EXPECT_EQ(read_reply_code(gap.reader(), connect_reply_wait), 1);
    EXPECT_EQ(gap.waits, (std::vector<int>{100, 10, 10, 10, 10, 10}));

    ScriptedLine broken{{0xAA, 0x00, -1, 0x55, 0x01}, {}};
    EXPECT_EQ(read_reply_code(broken.reader(), write_memory_reply_wait), -1);

    // The 0xAA is awaited for 10, 50 and 50 reads; one more stray byte loses it.
    for (const auto& [wait, reads] :
         {std::pair{connect_reply_wait, 10}, std::pair{write_memory_reply_wait, 50}}) {
        ScriptedLine late;
        late.bytes.assign(static_cast<std::size_t>(reads - 1), 0x00);
        late.bytes.insert(late.bytes.end(), {0xAA, 0x55, 0x02});
        EXPECT_EQ(read_reply_code(late.reader(), wait), 2);
        late.bytes.assign(static_cast<std::size_t>(reads), 0x00);
        late.bytes.insert(late.bytes.end(), {0xAA, 0x55, 0x02});
        EXPECT_EQ(read_reply_code(late.reader(), wait), -1);
    }
}

TEST(UpgradeReplies, TestReplyCarriesTheChecksumForCodesZeroAndOne) {
    std::array<std::uint8_t, 4> checksum{};
    ScriptedLine good{{0xAA, 0x55, 0x01, 0x11, 0x22, 0x33, 0x44}, {}};
    EXPECT_EQ(read_test_memory_reply(good.reader(), checksum), 1);
    EXPECT_EQ(checksum, (std::array<std::uint8_t, 4>{0x11, 0x22, 0x33, 0x44}));
    EXPECT_EQ(good.waits, (std::vector<int>{200, 10, 10, 10, 10, 10, 10}));

    ScriptedLine zero{{0xAA, 0x55, 0x00, 0x01, 0x02, 0x03, 0x04}, {}};
    EXPECT_EQ(read_test_memory_reply(zero.reader(), checksum), 0);
    EXPECT_EQ(checksum, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));

    ScriptedLine short_checksum{{0xAA, 0x55, 0x01, 0x11, 0x22, 0x33}, {}};
    EXPECT_EQ(read_test_memory_reply(short_checksum.reader(), checksum), -1);

    ScriptedLine error{{0xAA, 0x55, 0x03}, {}};
    EXPECT_EQ(read_test_memory_reply(error.reader(), checksum), 3);
    EXPECT_EQ(error.waits.size(), 3u); // no checksum is read after another code
}

} // namespace
