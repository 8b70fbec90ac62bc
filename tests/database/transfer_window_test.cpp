// Making, downloading and uploading the database through the window against the simulated
// device: the made file, the frames the device keeps, the ".UPL" file it sends back, and the
// faults of a download (a refused block, a device that stops answering).
#include "database/database_area.h"
#include "database/download_plan.h"
#include "database/make_database.h"
#include "database/transfer_buttons.h"
#include "files/folder_files.h"
#include "shell/connection.h"
#include "shell/status_line.h"
#include "shell/transfer_progress.h"
#include "tests/database/made_file_compare.h"
#include "tests/database/sample_database.h"
#include "tests/support/window_fixture.h"
#include "traffic/upload_control.h"

#include <QPushButton>
#include <filesystem>

namespace {

constexpr int tab_sampling = 4;
constexpr int tab_collect = 6;

// Whether the status line shows exactly `text` in `colour`: writing the same text again
// leaves the panel's image as it was.
bool status_shows(const std::string& text, Colour colour) {
    const QImage shown = shared.status_message_panel->image();
    shared.status_message_panel->draw_text_filled(TextString(std::string_view(text)), colour,
                                                  colour_status_back, text_format_single_line);
    return shared.status_message_panel->image() == shown;
}

bool visible(const char* label) {
    for (QPushButton* button : main_window->window->findChildren<QPushButton*>()) {
        if (button->text() == label)
            return button->isVisible();
    }
    return false;
}

class TransferWindowTest : public WindowTest {
protected:
    // The sample files and the description are in the folder before start-up lists them.
    void SetUp() override {
        ASSERT_EQ(device.start(1), 1) << "varden_sim did not start";
        write_sample_database(device.folder());
        ASSERT_NO_FATAL_FAILURE(start_in(device.folder()));
        ASSERT_EQ(selected_db_file_name(), "EURO.dnl");
    }

    std::string file(const std::string& name) const { return path_in(device.folder(), name); }

    // The codes the device recorded after the first `skip` frames.
    std::vector<int> codes_after(std::size_t skip) const {
        const std::vector<int> codes = recorded_codes();
        return {codes.begin() + static_cast<long>(std::min(skip, codes.size())), codes.end()};
    }

    // Waits until the device has answered an upload to its end (command 8 recorded).
    bool run_upload_to_end(std::size_t frames_before) {
        return run_passes_until(
            [&] {
                const std::vector<int> codes = codes_after(frames_before);
                return !codes.empty() && codes.back() == 8;
            },
            10000);
    }

    // The codes of a download of `blocks` image blocks that went through.
    static std::vector<int> download_codes(int blocks) {
        std::vector<int> codes{7};
        codes.insert(codes.end(), static_cast<std::size_t>(blocks), 5);
        codes.insert(codes.end(), {4, 4, 8});
        return codes;
    }
};

} // namespace

TEST_F(TransferWindowTest, MakeDbFileWritesTheMadeFileAndSendsNothing) {
    connect_on_page(tab_sampling);
    const std::size_t frames_before = recorded_codes().size();
    mc_percent = 7;
    sampling_on = 1;
    make_db_button();

    const std::string made = read_test_text(file("EURO.dnl"));
    EXPECT_TRUE(made.starts_with("COR=7\r\n"));
    EXPECT_EQ(header_tokens(made), sample_database_headers);
    EXPECT_FALSE(std::filesystem::exists(file(make_temporary_name)));
    EXPECT_TRUE(status_shows("EURO.dnl file is created", colour_info));
    EXPECT_TRUE(codes_after(frames_before).empty());
    EXPECT_EQ(mc_percent, 7);
    EXPECT_EQ(sampling_on, 0); // a make stops sampling on this side
}

TEST_F(TransferWindowTest, FailedMakeKeepsTheDescriptionAndSendsNothing) {
    const std::string description = read_test_text(file("EURO.dnl"));
    for (int n = 1; n <= 3; ++n)
        std::filesystem::remove(file("USD.OLD_100_3_" + std::to_string(n) + ".bin"));
    connect_on_page(tab_sampling);
    const std::size_t frames_before = recorded_codes().size();

    make_and_download_button();
    EXPECT_TRUE(status_shows("File's must be made for Side1 or for all Side's  , see line 1",
                             colour_error));
    EXPECT_EQ(read_test_text(file("EURO.dnl")), description);
    EXPECT_TRUE(codes_after(frames_before).empty());
}

TEST_F(TransferWindowTest, MakeAndDownloadSendsTheMadeDatabase) {
    connect_on_page(tab_sampling);
    EXPECT_TRUE(visible("Make and Download DB"));
    const std::size_t frames_before = recorded_codes().size();
    mc_percent = 7;
    make_and_download_button();

    const std::string made = read_test_text(file("EURO.dnl"));
    ASSERT_EQ(header_tokens(made), sample_database_headers);
    DownloadPlan plan;
    std::string error;
    ASSERT_EQ(plan_download(made, "EURO.dnl", shown_db_name().view(), plan, error), 1) << error;
    EXPECT_EQ(codes_after(frames_before), download_codes(plan.block_count));

    // What the device received is the plan of the made file, block by block.
    const std::vector<RecordedFrame> frames = device.frames();
    EXPECT_EQ(device_copy_differences(
                  {frames.begin() + static_cast<long>(frames_before), frames.end()}, plan),
              std::vector<std::string>{});
    ASSERT_EQ(device.command("database-state"), 1);
    EXPECT_EQ(device.last_reply(),
              "sides=5 blocks=" + std::to_string(plan.block_count) + " names=2 mc=0 transfer=none");
    EXPECT_TRUE(status_shows("Downloaded NAME/NOMINAL/NUM to VARDEN", colour_info));
    // Downloaded image data carry their correction: the percentage starts again from 0.
    EXPECT_EQ(mc_percent, 0);
    // The progress bar was drawn while the make and the download ran, and is gone now.
    EXPECT_TRUE(shared.transfer_progress_panel->has_image());
    EXPECT_FALSE(shared.transfer_progress_panel->window->isVisible());
}

TEST_F(TransferWindowTest, UploadedFileAgreesWithTheMadeFile) {
    connect_on_page(tab_sampling);
    make_and_download_button();
    const std::string made = read_test_text(file("EURO.dnl"));

    click_tab_slot(tab_collect);
    EXPECT_TRUE(visible("Upload DB from VARDEN"));
    EXPECT_TRUE(visible("Download DB to VARDEN"));
    ASSERT_EQ(device.command("database-mc 4"), 1);
    const std::size_t frames_before = recorded_codes().size();
    upload_button();
    ASSERT_TRUE(run_upload_to_end(frames_before));
    EXPECT_EQ(codes_after(frames_before), (std::vector<int>{3, 6, 6, 6, 6, 6, 8}));

    // The name the display shows for "EURO", read back from its seven-segment codes.
    const std::string upl = read_test_text(file("EUrO.UPL"));
    EXPECT_TRUE(upl.starts_with("COR=4\r\n"));
    EXPECT_EQ(header_tokens(upl), sample_database_headers);
    EXPECT_EQ(upload_differences(made, upl), std::vector<std::string>{});
    EXPECT_EQ(mc_percent, 4);
    EXPECT_TRUE(status_shows("EUrO.UPL created", colour_info));
    EXPECT_FALSE(shared.transfer_progress_panel->window->isVisible());
}

TEST_F(TransferWindowTest, RefusedContinueEndsTheUploadAndAStrayImageIsIgnored) {
    connect_on_page(tab_sampling);
    make_and_download_button();
    click_tab_slot(tab_collect);
    // The device refuses every "go on" after its table.
    ASSERT_EQ(device.command("sequence 6 2 2 2"), 1);
    const std::size_t frames_before = recorded_codes().size();
    upload_button();
    ASSERT_TRUE(run_upload_to_end(frames_before));
    EXPECT_EQ(codes_after(frames_before), (std::vector<int>{3, 6, 6, 6, 8}));
    EXPECT_TRUE(status_shows("Wrong header of command", colour_error));
    EXPECT_FALSE(std::filesystem::exists(file("EUrO.UPL")));

    // A side image that comes while no upload runs is not written anywhere.
    const std::vector<std::string> before = list_folder(device.folder());
    std::array<std::uint8_t, 2563> image{};
    on_upload_image_received(image.data(), image.size());
    EXPECT_EQ(list_folder(device.folder()).size(), before.size());
    EXPECT_EQ(codes_after(frames_before).size(), 5u);
}

TEST_F(TransferWindowTest, DownloadButtonNeedsAMadeFileThatExists) {
    connect_on_page(tab_collect);
    EXPECT_TRUE(visible("Download DB to VARDEN"));
    const std::size_t frames_before = recorded_codes().size();
    download_button();
    EXPECT_TRUE(status_shows("DB is empty", colour_error));

    std::filesystem::remove(file("EURO.dnl"));
    download_button();
    EXPECT_TRUE(status_shows("Can't find EURO.dnl", colour_error));
    EXPECT_TRUE(codes_after(frames_before).empty());
}

TEST_F(TransferWindowTest, RefusedBlockEndsTheDownloadAndTheNextOneWorks) {
    click_tab_slot(tab_sampling);
    make_db_button();
    connect_on_page(tab_collect);
    mc_percent = 5;
    ASSERT_EQ(device.command("sequence 5 1 1 6"), 1);
    std::size_t frames_before = recorded_codes().size();
    download_button();
    EXPECT_EQ(codes_after(frames_before), (std::vector<int>{7, 5, 5, 5, 8}));
    EXPECT_TRUE(status_shows("Error of DOWNLOAD command", colour_error));
    EXPECT_EQ(mc_percent, 5);

    frames_before = recorded_codes().size();
    download_button();
    const std::vector<int> codes = codes_after(frames_before);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes, download_codes(static_cast<int>(codes.size()) - 4));
    ASSERT_EQ(device.command("database-state"), 1);
    EXPECT_TRUE(device.last_reply().starts_with("sides=5 "));
    EXPECT_EQ(mc_percent, 0);
}

TEST_F(TransferWindowTest, DeviceThatStopsAnsweringGetsCommand8AndTheWindowGoesOn) {
    click_tab_slot(tab_sampling);
    make_db_button();
    connect_on_page(tab_collect);
    ASSERT_EQ(device.command("sequence 5 1 silent"), 1);
    const std::size_t frames_before = recorded_codes().size();
    download_button();
    EXPECT_EQ(codes_after(frames_before), (std::vector<int>{7, 5, 5, 8}));
    EXPECT_TRUE(status_shows("Error connection", colour_error));

    // The window still serves the technician: a disconnect goes through.
    EXPECT_EQ(main_loop_pass(false), 1);
    static_cast<QPushButton*>(shared.connect_push_button->window)->click();
    EXPECT_EQ(connected, 0);
    EXPECT_EQ(codes_after(frames_before).back(), 13);
    EXPECT_FALSE(visible("Download DB to VARDEN"));
}
