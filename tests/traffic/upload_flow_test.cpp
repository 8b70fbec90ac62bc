#include "tests/database/fake_exchange.h"
#include "tests/traffic/upload_messages.h"
#include "traffic/upload_flow.h"

#include <gtest/gtest.h>
#include <map>

namespace {

struct Folder {
    std::map<std::string, std::string> files;
    bool writable = true;
    TextFileWriter writer() {
        return [this](const std::string& name, const std::string& text, bool append) {
            if (!writable)
                return 0;
            files[name] = (append ? files[name] : "") + text;
            return 1;
        };
    }
};

// Row 1 has Side1 only; rows 2 and 3 have four sides: 1 + 4 + 4 images.
UploadTableMessage three_rows() {
    UploadTableMessage message = table_message({{"AB ", "X  ", {5, 0, 0, 0}, 100},
                                                {"CD ", "   ", {2, 3, 4, 6}, 20},
                                                {"E  ", "F  ", {1, 1, 1, 1}, 5}});
    const std::uint8_t codes[] = {0x88, 0x83, 0xC6};
    std::copy(std::begin(codes), std::end(codes), message.begin() + 2650);
    message[2649] = 12;
    return with_sum(message);
}

UploadImageMessage image(std::uint8_t fill = 0) {
    UploadImageMessage message{};
    std::fill(message.begin(), message.begin() + upload_image_data_size, fill);
    put_test_sum(message);
    return message;
}

struct Upload {
    UploadState state;
    FakeExchange device;
    Folder folder;
    int table(const UploadTableMessage& message) {
        return on_table_message(state, message.data(), message.size(), device.exchange(),
                                folder.writer());
    }
    int side(const UploadImageMessage& message = image()) {
        return on_image_message(state, message.data(), message.size(), device.exchange(),
                                folder.writer());
    }
};

} // namespace

TEST(UploadFlow, UploadButtonAsksOnce) {
    FakeExchange device;
    EXPECT_EQ(request_upload(device.exchange()), 1);
    EXPECT_EQ(device.codes(), (std::vector<int>{3}));
    EXPECT_EQ(device.events,
              (std::vector<std::string>{"info:Uploading NAME/NOMINAL/NUM from VARDEN ..."}));
    FakeExchange refusing;
    refusing.results[3] = {-1, -1, -1};
    EXPECT_EQ(request_upload(refusing.exchange()), 0);
    EXPECT_EQ(refusing.events, (std::vector<std::string>{"result:-1"}));
}

TEST(UploadFlow, OneImagePerSideThenCommand8) {
    Upload upload;
    ASSERT_EQ(upload.table(three_rows()), 1);
    EXPECT_EQ(upload.state.table.mc_percent, 12);
    EXPECT_EQ(upload.folder.files["AbC.UPL"], "COR=12\r\n");
    EXPECT_EQ(upload.device.codes(), (std::vector<int>{6}));
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(upload.side(), 1) << i;
    EXPECT_EQ(upload.device.codes(), (std::vector<int>{6, 6, 6, 6, 6, 6, 6, 6, 6, 8}));
    EXPECT_EQ(upload.device.events.back(), "info:AbC.UPL created");
    ASSERT_EQ(upload.device.progress.size(), 10u); // the table, then each image of nine
    for (int done = 0; done <= 9; ++done)
        EXPECT_EQ(upload.device.progress[static_cast<std::size_t>(done)], std::make_pair(done, 9));
    // The progress of the fifth image (row 2, Side4: 4 × 1 + 4 = 8).
    EXPECT_NE(std::find(upload.device.events.begin(), upload.device.events.end(),
                        "info:Creating AbC.UPL ... 8"),
              upload.device.events.end());

    const std::string& file = upload.folder.files["AbC.UPL"];
    std::vector<std::string> headers;
    for (std::size_t at = file.find("\n;"); at != std::string::npos; at = file.find("\n;", at + 1))
        headers.push_back(file.substr(at + 1, file.find('\r', at) - at - 1));
    EXPECT_EQ(headers, (std::vector<std::string>{";AB.X_100_1_5", ";CD_20_1_2", ";CD_20_2_3",
                                                 ";CD_20_3_4", ";CD_20_4_6", ";E.F_5_1_1",
                                                 ";E.F_5_2_1", ";E.F_5_3_1", ";E.F_5_4_1"}));

    // The upload is over: a late image is ignored.
    EXPECT_EQ(upload.side(), 0);
    EXPECT_EQ(upload.device.codes().size(), 10u);
}

TEST(UploadFlow, ImagesOutsideAnUploadAreIgnored) {
    Upload upload;
    EXPECT_EQ(upload.side(), 0);
    EXPECT_TRUE(upload.device.frames.empty());
    EXPECT_TRUE(upload.device.events.empty());
    EXPECT_TRUE(upload.folder.files.empty());
}

TEST(UploadFlow, WrongSums) {
    Upload upload;
    UploadTableMessage table = three_rows();
    table[5] ^= 1;
    EXPECT_EQ(upload.table(table), 0);
    EXPECT_EQ(upload.device.events, (std::vector<std::string>{"error:Wrong CRC of UPLOAD buffer"}));
    EXPECT_TRUE(upload.device.frames.empty()); // the device is left waiting
    EXPECT_EQ(upload.side(), 0);

    // A side image with a wrong sum is reported but written and answered all the same.
    ASSERT_EQ(upload.table(three_rows()), 1);
    UploadImageMessage bad = image(7);
    bad[2560] ^= 1;
    EXPECT_EQ(upload.side(bad), 1);
    EXPECT_NE(std::find(upload.device.events.begin(), upload.device.events.end(),
                        "error:Wrong CRC of UPLOAD buffer"),
              upload.device.events.end());
    EXPECT_NE(upload.folder.files["AbC.UPL"].find(";AB.X_100_1_5\r\n.PWORD"), std::string::npos);
    EXPECT_EQ(upload.device.codes(), (std::vector<int>{6, 6}));
}

TEST(UploadFlow, RefusedCommand6EndsWithCommand8Once) {
    Upload after_table;
    after_table.device.results[6] = {4, 4, 2};
    EXPECT_EQ(after_table.table(three_rows()), 0);
    EXPECT_EQ(after_table.device.codes(), (std::vector<int>{6, 6, 6, 8}));
    EXPECT_EQ(after_table.device.events.back(), "result:2");
    EXPECT_TRUE(after_table.folder.files.empty());
    EXPECT_EQ(after_table.side(), 0);

    Upload after_image;
    after_image.device.results[6] = {1, 5};
    ASSERT_EQ(after_image.table(three_rows()), 1);
    EXPECT_EQ(after_image.side(), 1);
    EXPECT_EQ(after_image.device.codes(), (std::vector<int>{6, 6, 8}));
    EXPECT_EQ(after_image.device.events.back(), "result:5");
    EXPECT_EQ(after_image.side(), 0); // over
}

TEST(UploadFlow, UnwritableFileEndsTheUpload) {
    Upload upload;
    upload.folder.writable = false;
    EXPECT_EQ(upload.table(three_rows()), 0);
    EXPECT_EQ(upload.device.events.back(), "error:Can't write AbC.UPL");
    EXPECT_EQ(upload.device.codes(), (std::vector<int>{6, 8}));
    EXPECT_EQ(upload.side(), 0);
}

TEST(UploadFlow, DeviceWithoutBanknotesCompletesAtOnce) {
    Upload upload;
    ASSERT_EQ(upload.table(table_message({})), 1);
    EXPECT_EQ(upload.folder.files[".UPL"], "COR=0\r\n");
    EXPECT_EQ(upload.device.codes(), (std::vector<int>{6, 8}));
    EXPECT_EQ(upload.device.events.back(), "info:.UPL created");
    EXPECT_EQ(upload.side(), 0);
}
