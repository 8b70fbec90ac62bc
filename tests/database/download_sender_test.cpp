#include "database/download_sender.h"
#include "tests/database/fake_exchange.h"
#include "tests/database/made_text.h"

#include <gtest/gtest.h>

namespace {

// Two flat sides (2 × 1719 bytes): three image blocks.
const std::string made_text =
    "COR=2\r\n" + made_side_of_value(";A_5_1_3", 7) + made_side_of_value(";B.C_10_1_4", 8);

DownloadOutcome download(FakeExchange& device, int mode, const std::string& text = made_text) {
    return download_made_file(mode, text, "DB.dnl", "dB", device.exchange());
}

} // namespace

TEST(DownloadSender, SendsCommand7BlocksNameFramesAndCommand8) {
    FakeExchange device;
    const DownloadOutcome outcome = download(device, download_only);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_TRUE(outcome.images_accepted);
    EXPECT_EQ(device.codes(), (std::vector<int>{7, 5, 5, 5, 4, 4, 8}));
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(device.frames[1 + b].block, b);
        EXPECT_EQ(device.frames[1 + b].payload.size(), 1536u);
    }
    EXPECT_EQ(device.frames[4].payload.size(), 1496u);
    EXPECT_EQ(device.frames[5].payload.size(), 1534u);
    EXPECT_EQ(device.frames[4].block, 0);
    EXPECT_EQ(device.events, (std::vector<std::string>{
                                 "info:Downloading IMAGE DATE to VARDEN ...",
                                 "info:Downloading IMAGE DATE to VARDEN ...1",
                                 "info:Downloading IMAGE DATE to VARDEN ...2",
                                 "info:Downloaded IMAGE DATE to VARDEN",
                                 "info:Downloading NAME/NOMINAL/NUM to VARDEN ...",
                                 "info:Downloaded NAME/NOMINAL/NUM to VARDEN",
                             }));
    // Progress counts the three blocks and the two name frames, each after it was accepted.
    EXPECT_EQ(device.progress,
              (std::vector<std::pair<int, int>>{{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}));
}

TEST(DownloadSender, CheckOnlyModeNeverSends) {
    FakeExchange device;
    EXPECT_EQ(download(device, download_check_only).result, 1);
    EXPECT_TRUE(device.frames.empty());
    EXPECT_TRUE(device.events.empty());
    // A failing check shows its error, still without sending.
    EXPECT_EQ(download(device, download_check_only, "COR=0\r\n;A_5_1_1\r\n").result, 0);
    EXPECT_TRUE(device.frames.empty());
    EXPECT_EQ(device.events,
              (std::vector<std::string>{"error:Wrong format of DB.dnl, see line 2"}));
}

TEST(DownloadSender, MalformedFileSendsNothingInAnyMode) {
    for (int mode : {download_only, download_after_make}) {
        FakeExchange device;
        EXPECT_EQ(download(device, mode, made_text.substr(0, made_text.size() - 40)).result, 0);
        EXPECT_TRUE(device.frames.empty());
        ASSERT_EQ(device.events.size(), 1u);
        EXPECT_EQ(device.events[0].rfind("error:Wrong format of DB.dnl", 0), 0u);
    }
}

TEST(DownloadSender, Command7IsTriedThreeTimes) {
    FakeExchange device;
    device.results[7] = {-1, 4};
    EXPECT_EQ(download(device, download_only).result, 1);
    EXPECT_EQ(device.codes().size(), 9u); // 7, 7, 7, then the rest

    FakeExchange refusing;
    refusing.results[7] = {-1, 4, 6};
    EXPECT_EQ(download(refusing, download_only).result, 0);
    EXPECT_EQ(refusing.codes(), (std::vector<int>{7, 7, 7}));
    EXPECT_EQ(refusing.events, (std::vector<std::string>{"result:6"}));
}

TEST(DownloadSender, RefusedFrameEndsWithCommand8Once) {
    FakeExchange block;
    block.results[5] = {1, 3};
    block.results[8] = {0};
    const DownloadOutcome at_block = download(block, download_only);
    EXPECT_EQ(at_block.result, 0);
    EXPECT_FALSE(at_block.images_accepted);
    EXPECT_EQ(block.codes(), (std::vector<int>{7, 5, 5, 8}));
    EXPECT_EQ(block.events.back(), "result:3");

    FakeExchange names;
    names.results[4] = {1, 5};
    const DownloadOutcome at_names = download(names, download_after_make);
    EXPECT_EQ(at_names.result, 0);
    EXPECT_TRUE(at_names.images_accepted); // the caller resets mc_percent all the same
    EXPECT_EQ(names.codes(), (std::vector<int>{7, 5, 5, 5, 4, 4, 8}));
    EXPECT_EQ(names.events.back(), "result:5");
}

TEST(DownloadSender, RefusedEndCommandIsReportedAfterThreeTries) {
    FakeExchange device;
    device.results[8] = {2, 2, 7};
    EXPECT_EQ(download(device, download_only).result, 0);
    EXPECT_EQ(device.codes(), (std::vector<int>{7, 5, 5, 5, 4, 4, 8, 8, 8}));
    EXPECT_EQ(device.events.back(), "result:7");
}
