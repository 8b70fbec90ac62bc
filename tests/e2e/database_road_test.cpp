// The road of a database through the real ornivex_control on a virtual X server, all by
// clicks: "Make DB file" and "Make and Download DB" on the SAMPLING page, then "Upload DB from
// VARDEN" on the COLLECT page. The device's copy and the ".UPL" file must agree with the made
// file.
#include "database/download_plan.h"
#include "formats/display_alphabet.h"
#include "tests/database/made_file_compare.h"
#include "tests/database/sample_database.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/sim_driver.h"

#include <chrono>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Centres of the controls in the client area. The tab labels let clicks through to the
// eight-slot mode list beneath them (slots 120 pixels wide from x = 28).
constexpr int tab_y = 55;
constexpr int sampling_tab_x = 28 + 4 * 120 + 60;
constexpr int collect_tab_x = 28 + 6 * 120 + 60;
constexpr int connect_x = 390 + 60, connect_y = 8 + 12;
constexpr int make_x = 560 + 70, make_y = 77 + 11;
constexpr int make_and_download_x = 760 + 110, make_and_download_y = 77 + 11;
constexpr int upload_x = 15 + 130, upload_y = 110 + 11;

bool last_code_is(const SimulatedDevice& device, std::size_t after, int code) {
    const std::vector<RecordedFrame> frames = device.frames();
    return frames.size() > after && frames.back().code == code;
}

} // namespace

TEST_F(ControlOnVirtualScreen, MakeDownloadAndUploadByClicks) {
    SimulatedDevice device;
    ASSERT_EQ(device.start(1), 1) << "varden_sim did not start";
    write_sample_database(device.folder());
    const std::string made_path = path_in(device.folder(), "EURO.dnl");
    ASSERT_NO_FATAL_FAILURE(start_screen());
    ASSERT_NO_FATAL_FAILURE(start_control(device.folder()));

    click(sampling_tab_x, tab_y);
    click(make_x, make_y);
    ASSERT_TRUE(wait_until(
        [&] { return read_test_text(made_path).find(".PWORD") != std::string::npos; }, 10s))
        << "Make DB file made nothing";
    EXPECT_EQ(header_tokens(read_test_text(made_path)), sample_database_headers);
    // Only page frames went out (a first click into the window may switch twice): the make
    // sends nothing.
    const std::size_t frames_before_connect = device.frames().size();
    for (const RecordedFrame& frame : device.frames())
        EXPECT_EQ(frame.code, 9);

    click(connect_x, connect_y);
    ASSERT_EQ(device.wait_for_frames(frames_before_connect + 2, 5000).size(),
              frames_before_connect + 2);
    click(make_and_download_x, make_and_download_y);
    ASSERT_TRUE(wait_until([&] { return last_code_is(device, frames_before_connect + 2, 8); }, 20s))
        << "the download did not end with command 8";

    // The device's copy is what the made file plans, frame by frame.
    const std::string made = read_test_text(made_path);
    DownloadPlan plan;
    std::string error;
    ASSERT_EQ(plan_download(made, "EURO.dnl", display_db_name_text("EURO"), plan, error), 1)
        << error;
    EXPECT_EQ(device_copy_differences(device.frames(), plan), std::vector<std::string>{});
    ASSERT_EQ(device.command("database-state"), 1);
    EXPECT_TRUE(device.last_reply().starts_with("sides=5 ")) << device.last_reply();

    const std::size_t frames_before_upload = device.frames().size();
    click(collect_tab_x, tab_y);
    click(upload_x, upload_y);
    const std::string upl_path = path_in(device.folder(), "EUrO.UPL");
    ASSERT_TRUE(wait_until([&] { return last_code_is(device, frames_before_upload + 1, 8); }, 20s))
        << "the upload did not end with command 8";
    std::vector<int> upload_codes;
    for (const RecordedFrame& frame : device.frames())
        upload_codes.push_back(frame.code);
    upload_codes.erase(upload_codes.begin(),
                       upload_codes.begin() + static_cast<long>(frames_before_upload));
    // Apart from the page frames of COLLECT: the request, "go on" after the table and four
    // images, the end after the fifth.
    std::erase(upload_codes, 9);
    EXPECT_EQ(upload_codes, (std::vector<int>{3, 6, 6, 6, 6, 6, 8}));
    EXPECT_EQ(upload_differences(made, read_test_text(upl_path)), std::vector<std::string>{});
}
