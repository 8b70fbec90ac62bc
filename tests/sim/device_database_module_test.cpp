// The simulated device's banknote database, driven frame by frame without a pseudo-terminal:
// what it keeps of a download, what it refuses, and what it sends back for an upload.
#include "formats/frames.h"
#include "formats/upload_table.h"
#include "sim/device_database.h"
#include "sim/frame_scanner.h"
#include "sim/modules.h"
#include "sim/script_line.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

class DatabaseModule : public ::testing::Test {
protected:
    void SetUp() override { register_all_modules(sim); }

    // Sends one frame and returns the answer's result byte; what follows the answer (an upload
    // message) lands in `follow_up`.
    int send(int code, const Bytes& payload = {}, int block = 0) {
        follow_up.clear();
        Bytes frame(payload.size() + frame_overhead);
        std::copy(payload.begin(), payload.end(), frame.begin() + frame_header_size);
        fill_data_frame(code, static_cast<std::uint16_t>(payload.size()),
                        static_cast<std::uint16_t>(block), frame.data());
        FrameScanner scanner;
        for (const ScannedFrame& scanned : scan_bytes(scanner, frame.data(), frame.size()))
            handle_frame(sim, scanned);
        const Bytes out(sim.output.begin(), sim.output.end());
        sim.output.clear();
        if (out.size() < 3)
            return -1;
        follow_up.assign(out.begin() + 3, out.end());
        return out[2];
    }

    std::string script(const std::string& line) {
        std::string message;
        EXPECT_EQ(run_script_command(sim, script_words(line), message), ScriptOutcome::applied)
            << line << ": " << message;
        return message;
    }

    // A download of two one-sided banknotes whose sides end at 30 and 60 bytes.
    void download_two_sides() {
        ASSERT_EQ(send(command_open_download), 1);
        Bytes block(1536);
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<std::uint8_t>(i + 1);
        ASSERT_EQ(send(command_image_block, block, 0), 1);
        BanknoteEntry a{"A", "", 5, 1, {3, 0, 0, 0}, {8, 0, 0, 0}};
        BanknoteEntry b{"BC", "X", 10, 1, {7, 0, 0, 0}, {9, 0, 0, 0}};
        FirstNameFrame first{};
        SecondNameFrame second{};
        build_name_frames({a, b}, {0, 30, 60}, db_name_code("Ab"), first, second);
        ASSERT_EQ(send(command_name_table, Bytes(first.begin(), first.end())), 1);
        ASSERT_EQ(send(command_name_table, Bytes(second.begin(), second.end())), 1);
        ASSERT_EQ(send(command_end_transfer), 1);
    }

    Simulator sim;
    Bytes follow_up;
};

} // namespace

TEST_F(DatabaseModule, KeepsADownloadAndSendsItBackSideBySide) {
    download_two_sides();
    EXPECT_EQ(script("database-state"), "sides=2 blocks=1 names=2 mc=0 transfer=none");
    script("database-mc 9");

    ASSERT_EQ(send(command_request_upload), 1);
    ASSERT_EQ(follow_up.size(), upload_table_message_size);
    UploadTable table;
    ASSERT_EQ(read_upload_table(follow_up.data(), follow_up.size(), table), 1);
    EXPECT_TRUE(upload_sum_matches(follow_up.data(), upload_table_data_size));
    EXPECT_EQ(table.used_rows, 2);
    EXPECT_EQ(table.row_names[1], "BC.X");
    EXPECT_EQ(table.mc_percent, 9);
    EXPECT_EQ(table.file_name, "Ab.UPL");

    ASSERT_EQ(send(command_continue_upload), 1);
    ASSERT_EQ(follow_up.size(), upload_image_message_size);
    EXPECT_EQ(follow_up[0], 1);
    EXPECT_EQ(follow_up[29], 30);
    EXPECT_EQ(follow_up[30], 0); // the side ends where the block table says
    ASSERT_EQ(send(command_continue_upload), 1);
    EXPECT_EQ(follow_up[0], 31);
    EXPECT_TRUE(upload_sum_matches(follow_up.data(), upload_image_data_size));
    // Nothing is left to send: the device refuses another "go on".
    EXPECT_EQ(send(command_continue_upload), 6);
    EXPECT_TRUE(follow_up.empty());
}

TEST_F(DatabaseModule, RefusesTransferFramesOfTheWrongShapeAndIgnoresStrayOnes) {
    // Outside a transfer: the default answer, nothing kept, nothing sent.
    EXPECT_EQ(send(command_image_block, Bytes(1536), 0), 1);
    EXPECT_EQ(send(command_continue_upload), 1);
    EXPECT_TRUE(follow_up.empty());
    EXPECT_EQ(script("database-state"), "sides=0 blocks=0 names=0 mc=0 transfer=none");
    ASSERT_EQ(send(command_open_download), 1);
    EXPECT_EQ(send(command_image_block, Bytes(1536), 158), 6);
    EXPECT_EQ(send(command_image_block, Bytes(1000), 0), 6);
    EXPECT_EQ(send(command_name_table, Bytes(1500)), 6);
    EXPECT_EQ(script("database-state"), "sides=0 blocks=0 names=0 mc=0 transfer=download");
}

TEST_F(DatabaseModule, ANewDownloadOrClearEmptiesTheDatabase) {
    download_two_sides();
    ASSERT_EQ(send(command_open_download), 1);
    EXPECT_EQ(script("database-state"), "sides=0 blocks=0 names=0 mc=0 transfer=download");

    download_two_sides();
    script("database-clear");
    ASSERT_EQ(send(command_request_upload), 1);
    UploadTable table;
    ASSERT_EQ(read_upload_table(follow_up.data(), follow_up.size(), table), 1);
    EXPECT_EQ(table.used_rows, 0);
    EXPECT_EQ(table.file_name, ".UPL");
}

TEST_F(DatabaseModule, ARefusedOrUnansweredCommandSendsNoUploadMessage) {
    download_two_sides();
    script("sequence 3 4");
    EXPECT_EQ(send(command_request_upload), 4);
    EXPECT_TRUE(follow_up.empty());
    ASSERT_EQ(send(command_request_upload), 1);
    script("sequence 6 silent");
    EXPECT_EQ(send(command_continue_upload), -1);
    // The side that was not sent is still the next one.
    ASSERT_EQ(send(command_continue_upload), 1);
    EXPECT_EQ(follow_up[0], 1);
}
