#include "formats/frames.h"
#include "formats/result_codes.h"

#include <gtest/gtest.h>
#include <vector>

TEST(Frames, ConnectCommandFrameBytes) {
    const auto frame = command_frame(command_connect);
    const std::vector<std::uint8_t> expected = {0xAA, 0x55, 0xAA, 0x55, 0x50, 0x0C, 0, 0,
                                                0,    0,    0,    0,    0x5C, 0,    0, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(frame.begin(), frame.end()), expected);
}

TEST(Frames, ModeFrameForModeThree) {
    std::vector<std::uint8_t> frame(2 + frame_overhead, 0xEE);
    frame[12] = 3;
    frame[13] = 0;
    fill_data_frame(command_mode, 2, 0, frame.data());
    const std::vector<std::uint8_t> expected = {0xAA, 0x55, 0xAA, 0x55, 0x50, 0x09,
                                                0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                0x03, 0x00, 0x5E, 0x00, 0x00, 0x00};
    EXPECT_EQ(frame, expected);
}

TEST(Frames, ChecksumTakesBytesAboveSevenFAsUnsignedAndCoversBlockNumber) {
    std::vector<std::uint8_t> frame(4 + frame_overhead, 0);
    frame[12] = 0xFF;
    frame[13] = 0x80;
    frame[14] = 0x7F;
    frame[15] = 0x01;
    fill_data_frame(command_image_block, 4, 0x0102, frame.data());
    EXPECT_EQ(frame[8], 0x02);
    EXPECT_EQ(frame[9], 0x01);
    const std::uint32_t expected = 0x50 + 5 + 4 + 0x02 + 0x01 + 0xFF + 0x80 + 0x7F + 0x01;
    EXPECT_EQ(get_u32(frame.data() + 16), expected);
}

TEST(Frames, LittleEndianHelpersRoundTrip) {
    std::uint8_t at[4];
    put_u32(at, 0xA1B2C3D4u);
    EXPECT_EQ(at[0], 0xD4);
    EXPECT_EQ(at[3], 0xA1);
    EXPECT_EQ(get_u32(at), 0xA1B2C3D4u);
    put_u16(at, 0xBEEF);
    EXPECT_EQ(get_u16(at), 0xBEEF);
}

TEST(CommandResults, TextsOfFailedResults) {
    EXPECT_STREQ(command_result_text(2), "Wrong header of command");
    EXPECT_STREQ(command_result_text(3), "Wrong CRC of command");
    EXPECT_STREQ(command_result_text(4), "COM-bufer of ZELK is full");
    EXPECT_STREQ(command_result_text(5), "Wrong size of command");
    EXPECT_STREQ(command_result_text(6), "Error of DOWNLOAD command");
    EXPECT_STREQ(command_result_text(7), "Wrong number of command");
    EXPECT_STREQ(command_result_text(-1), "Error connection");
    for (int silent : {0, 1, 8, 9, 255})
        EXPECT_EQ(command_result_text(silent), nullptr) << silent;
}
