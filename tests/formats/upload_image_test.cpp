#include "formats/image_code.h"
#include "formats/upload_image.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

const std::string zero_line =
    ".PWORD 0x000000,0x000000,0x000000,0x000000,0x000000,0x000000,0x000000,0x000000\r\n";

struct Stream {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(60, 0);
    BitWriter writer{bytes.data(), bytes.size()};
    BitReader reader() {
        align_to_word(writer);
        return BitReader{bytes.data(), bytes.size()};
    }
};

} // namespace

TEST(UploadImageDecoder, LongPositionOfTheMainPart) {
    Stream s;
    put_bits(s.writer, 10, 7);     // base
    put_bits(s.writer, 0, 2);      // mode 0
    put_bits(s.writer, 0b1110, 4); // 14 ...
    put_bits(s.writer, 1, 1);      // ... + 2
    for (int i = 0; i < 17; ++i)
        put_bits(s.writer, 1, 4);
    BitReader reader = s.reader();
    std::uint8_t values[18];
    EXPECT_EQ(read_group(reader, 18, PositionCode::main_part, 0, values), 10);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(values[i], i == 16 ? 10 : 11) << i;
}

TEST(UploadImageDecoder, DistancesByModeAndTheMode3Escape) {
    Stream s;
    put_bits(s.writer, 127, 7); // base 127 + 3
    put_bits(s.writer, 3, 7);
    put_bits(s.writer, 3, 2);  // mode 3
    put_bits(s.writer, 1, 5);  // tail position 1
    put_bits(s.writer, 63, 6); // value 0: 63 + 63, doubled
    put_bits(s.writer, 63, 6);
    put_bits(s.writer, 5, 6); // value 2
    BitReader reader = s.reader();
    std::uint8_t values[24];
    read_group(reader, 24, PositionCode::tail, 0, values);
    EXPECT_EQ(values[0], (130 + 252) % 256);
    EXPECT_EQ(values[1], 130);
    EXPECT_EQ(values[2], 140);
    EXPECT_EQ(values[3], 130);

    // The second group of a pair adds the first group's base.
    Stream t;
    put_bits(t.writer, 4, 7);
    put_bits(t.writer, 2, 2); // mode 2: 5-bit fields, doubled
    put_bits(t.writer, 0, 4);
    for (int i = 0; i < 17; ++i)
        put_bits(t.writer, 31, 5);
    BitReader paired = t.reader();
    read_group(paired, 18, PositionCode::main_part, 250, values);
    EXPECT_EQ(values[0], 254);
    EXPECT_EQ(values[1], (254 + 62) % 256);
}

TEST(UploadImageDecoder, RealignsToTheNextWord) {
    const std::uint8_t bytes[9] = {};
    BitReader reader{bytes, sizeof bytes};
    read_field(reader, 5);
    realign_to_word(reader);
    EXPECT_EQ(reader.bit_position, 24u);
    realign_to_word(reader); // on a word already
    EXPECT_EQ(reader.bit_position, 24u);
    read_field(reader, 1);
    realign_to_word(reader);
    EXPECT_EQ(reader.bit_position, 48u);
}

TEST(UploadImageDecoder, NeverReadsPastTheReceivedBytes) {
    const std::uint8_t byte = 0xFF;
    BitReader reader{&byte, 1};
    EXPECT_EQ(read_field(reader, 16), 0xFF00u);
    // No data at all decodes as zeros (nothing is dereferenced).
    const std::string text = decode_side_image(nullptr, 0);
    EXPECT_EQ(text.find("0x01"), std::string::npos);
    EXPECT_NE(text.find(".PWORD 0x000000,0x00FFFF\r\n\r\n\r\n\r\n"), std::string::npos);
}

TEST(UploadImageDecoder, LayoutOfASide) {
    std::string main_part;
    for (int stretch = 0; stretch < 4; ++stretch)
        for (int channel = 0; channel < 5; ++channel) {
            for (int line = 0; line < 6; ++line)
                main_part += zero_line;
            main_part += channel == 4 ? "\r\n\r\n\r\n" : "\r\n";
        }
    std::string first_tail;
    for (int channel = 0; channel < 5; ++channel)
        first_tail += zero_line;
    const std::string expected =
        main_part + first_tail + "\r\n\r\n" + zero_line + zero_line +
        ".PWORD 0x000000,0x000000,0x000000,0x000000,0x000000,0x000000,0x000000,0x000000\r\n" +
        zero_line +
        ".PWORD 0x00FF00,0xFF00FF,0x00FF00,0xFF00FF,0x00FF00,0xFF00FF,0x00FF00,0xFF00FF\r\n" +
        "\r\n\r\n.PWORD 0x000000,0x00FFFF\r\n\r\n\r\n\r\n";
    const std::vector<std::uint8_t> zeros(upload_image_data_size, 0);
    EXPECT_EQ(decode_side_image(zeros.data(), zeros.size()), expected);
}
