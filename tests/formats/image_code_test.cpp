#include "formats/image_code.h"
#include "formats/upload_image.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Stream {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(64, 0);
    BitWriter writer{bytes.data(), bytes.size()};
    std::size_t bits() const { return writer.byte_index * 8 + writer.bit_count; }
    // Completes the last byte (its bits reach their places only then) and reads from the start.
    BitReader reader() {
        align_to_word(writer);
        return BitReader{bytes.data(), bytes.size()};
    }
};

} // namespace

TEST(BitWriter, FirstBitWrittenEndsInBitZero) {
    Stream s;
    put_bits(s.writer, 1, 1);
    EXPECT_EQ(s.bytes[0], 0x80); // the partial byte is stored with its unwritten bits 0
    put_bits(s.writer, 0, 7);
    EXPECT_EQ(s.bytes[0], 0x01);
    put_bits(s.writer, 0xAB, 8); // 1010 1011 read from bit 0 up
    EXPECT_EQ(s.bytes[1], 0xD5);
    BitReader reader = s.reader();
    EXPECT_EQ(read_field(reader, 8), 0x80u);
    EXPECT_EQ(read_field(reader, 8), 0xABu);
}

TEST(BitWriter, AlignmentCompletesTheByteThenPadsToAWord) {
    Stream s;
    for (int i = 0; i < 33; ++i)
        put_bits(s.writer, 0xFF, 8);
    put_bits(s.writer, 0b101, 3);
    EXPECT_EQ(align_to_word(s.writer), 36u); // byte 33 completed, then 34 and 35 pad
    EXPECT_EQ(s.bytes[33], 0b101);           // the three bits moved down to bits 0..2
    EXPECT_EQ(s.bytes[34], 0);
    EXPECT_EQ(align_to_word(s.writer), 36u); // already aligned: nothing added
}

TEST(BitWriter, KeepsCountingButNeverWritesPastItsBuffer) {
    std::array<std::uint8_t, 4> bytes{};
    BitWriter writer{bytes.data(), 2};
    for (int i = 0; i < 5; ++i)
        put_bits(writer, 0xFF, 8);
    put_bits(writer, 1, 1);
    EXPECT_EQ(writer.byte_index, 5u);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0);
    EXPECT_EQ(bytes[3], 0);
}

TEST(GroupCode, AllEqualGroupTakes81Bits) {
    Stream s;
    std::array<std::uint8_t, 18> values;
    values.fill(5);
    EXPECT_EQ(put_group(s.writer, values.data(), 18, 0, PositionCode::main_part), 5);
    EXPECT_EQ(s.bits(), 81u);
    BitReader reader = s.reader();
    EXPECT_EQ(read_field(reader, 7), 5u);  // base
    EXPECT_EQ(read_field(reader, 2), 0u);  // class
    EXPECT_EQ(read_field(reader, 4), 0u);  // position
    EXPECT_EQ(read_field(reader, 68), 0u); // 17 distances of 0 (the rest of the stream is 0)
}

TEST(GroupCode, BaseAbove126IsEscaped) {
    Stream s;
    std::array<std::uint8_t, 24> values;
    values.fill(200);
    put_group(s.writer, values.data(), 24, 0, PositionCode::tail);
    BitReader reader = s.reader();
    EXPECT_EQ(read_field(reader, 7), 127u);
    EXPECT_EQ(read_field(reader, 7), 73u);
    // 255 cannot be written: the reader rebuilds 254, and says so.
    Stream t;
    values.fill(255);
    EXPECT_EQ(put_group(t.writer, values.data(), 24, 0, PositionCode::tail), 254);
}

TEST(GroupCode, ExactBase127IsEscapedToo) {
    // Also a negative difference whose low 7 bits are 127 (-129): never mistaken for the escape.
    for (int reference : {0, 250}) {
        Stream s;
        std::array<std::uint8_t, 18> values;
        values.fill(static_cast<std::uint8_t>(reference == 0 ? 127 : 121));
        put_group(s.writer, values.data(), 18, reference, PositionCode::main_part);
        BitReader reader = s.reader();
        EXPECT_EQ(read_field(reader, 7), 127u) << reference;
        EXPECT_EQ(read_field(reader, 7), 0u) << reference;
    }
}

TEST(GroupCode, MaximaBelowTheirMinimaComeBackWithinOne) {
    // Maxima below their minima (a hand-made file). The reader keeps the low 8 bits of the
    // reference plus the base field, so from -128 to -1 the low 7 bits alone come back 128 too
    // high; -1 cannot be reached at all, and there odd distances taken from the minimum came
    // back two below, and a minimum 0 wrapped to 255.
    for (const auto& [reference, minimum] :
         {std::pair{200, 0}, {200, 71}, {200, 100}, {200, 198}, {200, 199}, {1, 0}}) {
        Stream s;
        std::array<std::uint8_t, 18> values;
        for (int i = 0; i < 18; ++i)
            values[i] = static_cast<std::uint8_t>(minimum + (i * 7) % 41);
        put_group(s.writer, values.data(), 18, reference, PositionCode::main_part);
        BitReader reader = s.reader();
        std::array<std::uint8_t, 18> got;
        read_group(reader, 18, PositionCode::main_part, reference, got.data());
        for (int i = 0; i < 18; ++i) {
            const int lifted = values[i] == 0 ? 1 : 0; // 0 cannot be one below without wrapping
            EXPECT_GE(got[i], values[i] - 1) << reference << " " << minimum << " " << i;
            EXPECT_LE(got[i], values[i] + lifted) << reference << " " << minimum << " " << i;
        }
    }
}

TEST(GroupCode, PositionsFrom14OnTakeFiveBits) {
    const std::pair<int, unsigned> expected[] = {
        {13, 0b1101}, {14, 0b11100}, {15, 0b11110}, {16, 0b11101}, {17, 0b11111}};
    for (const auto& [position, code] : expected) {
        Stream s;
        std::array<std::uint8_t, 18> values;
        values.fill(9);
        values[position] = 3;
        for (int p = 0; p < position; ++p)
            values[p] = 4;
        put_group(s.writer, values.data(), 18, 0, PositionCode::main_part);
        BitReader reader = s.reader();
        read_field(reader, 9);
        EXPECT_EQ(read_field(reader, position < 14 ? 4 : 5), code) << position;
    }
    // Tail groups always use five bits.
    Stream s;
    std::array<std::uint8_t, 24> values;
    values.fill(9);
    values[23] = 3;
    put_group(s.writer, values.data(), 24, 0, PositionCode::tail);
    BitReader reader = s.reader();
    read_field(reader, 9);
    EXPECT_EQ(read_field(reader, 5), 23u);
}

TEST(GroupCode, DistancesAreHalvedAboveClassZeroAndEscapedFrom126) {
    Stream s;
    std::array<std::uint8_t, 24> values;
    values.fill(10);
    values[1] = 10 + 200; // class 3: 63, then (200 - 126) / 2
    values[2] = 10 + 125; // 62
    put_group(s.writer, values.data(), 24, 0, PositionCode::tail);
    BitReader reader = s.reader();
    EXPECT_EQ(read_field(reader, 7), 10u);
    EXPECT_EQ(read_field(reader, 2), 3u);
    EXPECT_EQ(read_field(reader, 5), 0u);
    EXPECT_EQ(read_field(reader, 6), 63u);
    EXPECT_EQ(read_field(reader, 6), 37u);
    EXPECT_EQ(read_field(reader, 6), 62u);
}

TEST(GroupCode, ReadBackWithinTheHalvingOfWideGroups) {
    // Pairs as an envelope holds them: each maximum at least its minimum. The maxima's group
    // is written relative to the minima's.
    for (int spread : {0, 15, 16, 31, 40, 63, 64, 120, 250}) {
        Stream s;
        std::array<std::uint8_t, 18> minima, maxima;
        for (int i = 0; i < 18; ++i) {
            minima[i] = static_cast<std::uint8_t>(3 + (i * 37) % (spread / 2 + 1));
            maxima[i] = static_cast<std::uint8_t>(minima[i] + (i * 53) % (spread / 2 + 1));
        }
        const int base = put_group(s.writer, minima.data(), 18, 0, PositionCode::main_part);
        put_group(s.writer, maxima.data(), 18, base, PositionCode::main_part);
        const std::size_t written = s.bits();
        BitReader reader = s.reader();
        std::array<std::uint8_t, 18> got_min, got_max;
        const int read_base = read_group(reader, 18, PositionCode::main_part, 0, got_min.data());
        read_group(reader, 18, PositionCode::main_part, read_base, got_max.data());
        EXPECT_EQ(reader.bit_position, written) << spread;
        for (int i = 0; i < 18; ++i) {
            const int tolerance = spread < 16 ? 0 : 1;
            EXPECT_LE(minima[i] - got_min[i], tolerance) << spread << " " << i;
            EXPECT_GE(minima[i] - got_min[i], 0);
            EXPECT_LE(maxima[i] - got_max[i], tolerance) << spread << " " << i;
            EXPECT_GE(maxima[i] - got_max[i], 0);
        }
    }
}

TEST(GroupCode, EmptyEnvelopeReadsBackExactly) {
    // No sample file: minima 255, maxima 0. The base 255 cannot be written: the minima come
    // back as 254 at the base's position and 255 elsewhere. The maxima's base is taken
    // relative to the 254 the reader rebuilds, so the maxima come back as 0.
    Stream s;
    std::array<std::uint8_t, 18> minima, maxima;
    minima.fill(255);
    maxima.fill(0);
    const int base = put_group(s.writer, minima.data(), 18, 0, PositionCode::main_part);
    put_group(s.writer, maxima.data(), 18, base, PositionCode::main_part);
    BitReader reader = s.reader();
    std::array<std::uint8_t, 18> got;
    const int read_base = read_group(reader, 18, PositionCode::main_part, 0, got.data());
    EXPECT_EQ(got[0], 254);
    EXPECT_EQ(got[17], 255);
    read_group(reader, 18, PositionCode::main_part, read_base, got.data());
    EXPECT_EQ(got[5], 0);
}
