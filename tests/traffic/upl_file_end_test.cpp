// How an upload ends its ".UPL" file: a complete file is put in place before success is shown;
// an upload that stops short drops what it wrote, so an older file of that name stays.
#include "formats/display_alphabet.h"
#include "tests/database/fake_exchange.h"
#include "tests/traffic/upload_messages.h"
#include "traffic/upload_flow.h"

#include <gtest/gtest.h>

namespace {

// One row with Side1 only: the table, then one image completes the upload.
struct OneImageUpload {
    UploadState state;
    FakeExchange device;
    std::vector<std::string> steps; // "write", "end:<name>:complete|dropped"
    int end_result = 1;

    TextFileWriter writer() {
        return [this](const std::string&, const std::string&, bool) {
            steps.push_back("write");
            return 1;
        };
    }
    UplFileEnder ender() {
        return [this](const std::string& name, bool complete) {
            steps.push_back("end:" + name + (complete ? ":complete" : ":dropped"));
            return complete ? end_result : 0;
        };
    }
    int table() {
        const UploadTableMessage message = table_message({{"AB ", "X  ", {5, 0, 0, 0}, 100}});
        return on_table_message(state, message.data(), message.size(), device.exchange(), writer(),
                                ender());
    }
    int image() {
        UploadImageMessage message{};
        put_test_sum(message);
        return on_image_message(state, message.data(), message.size(), device.exchange(), writer(),
                                ender());
    }
};

} // namespace

TEST(UplFileEnd, CompleteFileIsPutInPlaceBeforeSuccess) {
    OneImageUpload upload;
    ASSERT_EQ(upload.table(), 1);
    ASSERT_EQ(upload.image(), 1);
    const std::string name = upload.state.upload_file_name;
    EXPECT_EQ(upload.steps,
              (std::vector<std::string>{"write", "write", "end:" + name + ":complete"}));
    EXPECT_EQ(upload.device.events.back(), "info:" + name + " created");
    EXPECT_EQ(upload.device.codes(), (std::vector<int>{6, 8}));
}

TEST(UplFileEnd, FileThatCannotBePutInPlaceIsAFailure) {
    OneImageUpload upload;
    upload.end_result = 0;
    upload.device.results[8] = {2, 2, 1}; // command 8 is tried as at every end
    ASSERT_EQ(upload.table(), 1);
    upload.image();
    const std::string name = upload.state.upload_file_name;
    EXPECT_EQ(upload.device.events.back(), "error:Can't write " + name);
    for (const std::string& event : upload.device.events)
        EXPECT_EQ(event.find(" created"), std::string::npos) << event;
    EXPECT_EQ(upload.steps.back(), "end:" + name + ":dropped");
    EXPECT_EQ(upload.device.codes(), (std::vector<int>{6, 8, 8, 8}));
    EXPECT_EQ(upload.image(), 0); // the upload is over
}

TEST(UplFileEnd, ANewTableDropsTheUnfinishedFile) {
    OneImageUpload upload;
    const UploadTableMessage two_sides = table_message({{"AB ", "X  ", {5, 5, 0, 0}, 100}});
    ASSERT_EQ(on_table_message(upload.state, two_sides.data(), two_sides.size(),
                               upload.device.exchange(), upload.writer(), upload.ender()),
              1);
    const std::string old_name = upload.state.upload_file_name;
    UploadTableMessage renamed = table_message({{"AB ", "X  ", {5, 0, 0, 0}, 100}});
    renamed[upload_db_name_offset] = seven_segment_code('A'); // another database name
    renamed = with_sum(renamed);
    ASSERT_EQ(on_table_message(upload.state, renamed.data(), renamed.size(),
                               upload.device.exchange(), upload.writer(), upload.ender()),
              1);
    ASSERT_NE(upload.state.upload_file_name, old_name);
    EXPECT_EQ(upload.steps,
              (std::vector<std::string>{"write", "end:" + old_name + ":dropped", "write"}));
}

TEST(UplFileEnd, RefusedStepDropsTheFile) {
    OneImageUpload refused_table;
    refused_table.device.results[6] = {2, 2, 2};
    EXPECT_EQ(refused_table.table(), 0);
    EXPECT_EQ(refused_table.steps, std::vector<std::string>{}); // nothing was begun

    // Two sides: the "go on" after the first image is refused.
    OneImageUpload refused_image;
    const UploadTableMessage two_sides = table_message({{"AB ", "X  ", {5, 5, 0, 0}, 100}});
    refused_image.device.results[6] = {1, 2};
    ASSERT_EQ(on_table_message(refused_image.state, two_sides.data(), two_sides.size(),
                               refused_image.device.exchange(), refused_image.writer(),
                               refused_image.ender()),
              1);
    refused_image.image();
    const std::string name = refused_image.state.upload_file_name;
    EXPECT_EQ(refused_image.steps,
              (std::vector<std::string>{"write", "write", "end:" + name + ":dropped"}));
    EXPECT_EQ(refused_image.device.codes(), (std::vector<int>{6, 6, 8}));
}
