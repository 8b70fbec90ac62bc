// The road of a sample through the real ornivex_control on a virtual X server, all by clicks
// and typing: a new description file, a row typed and saved, Connect, Start sampling, and ten
// banknotes from the device stored as the numbered sample files of the row's Side1.
#include "files/folder_files.h"
#include "sim/sample_generator.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/sim_driver.h"

#include <chrono>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Centres of the controls in the client area. The SAMPLING tab label lets clicks through to
// the mode list slot beneath it.
constexpr int tab_y = 55;
constexpr int sampling_tab_x = 28 + 4 * 120 + 60;
constexpr int connect_x = 390 + 60, connect_y = 8 + 12;
constexpr int new_db_x = 15 + 65, new_db_y = 110 + 11;
constexpr int save_x = 400 + 70, save_y = 77 + 11;
constexpr int start_x = 175 + 80, start_y = 77 + 11;
// First rows of the list of DB files and of the database table (rows 18 pixels high).
constexpr int db_file_x = 15 + 60, db_file_y = 160 + 9;
constexpr int table_x = 300 + 100, table_y = 130 + 9;
constexpr int edit_x = 95 + 15;
constexpr int name_y = 650 + 8, ext_y = 670 + 8, nominal_y = 690 + 8;
constexpr int sample_count = 10;
// The acceptance prompt and "Delete last sample".
constexpr int accept_x = 15 + 40, reject_x = 110 + 75, prompt_y = 550 + 11;
constexpr int delete_x = 15 + 100, delete_y = 610 + 11;

std::string text_of(const std::string& path) {
    std::string text;
    read_text_file(path, text);
    return text;
}

int frames_with_code(const SimulatedDevice& device, int code) {
    int count = 0;
    for (const RecordedFrame& frame : device.frames())
        count += frame.code == code ? 1 : 0;
    return count;
}

} // namespace

class SamplingRoad : public ControlOnVirtualScreen {
protected:
    void type(const std::string& text) {
        run_for_output({xdotool, "type", "--delay", "50", text}, display);
    }
    void key(const std::string& name) { run_for_output({xdotool, "key", name}, display); }
};

TEST_F(SamplingRoad, TenBanknotesBecomeSampleFilesOfTheTypedRow) {
    SimulatedDevice device;
    ASSERT_EQ(device.start(1), 1) << "varden_sim did not start";
    ASSERT_NO_FATAL_FAILURE(start_screen());
    ASSERT_NO_FATAL_FAILURE(start_control(device.folder()));

    click(sampling_tab_x, tab_y);
    click(new_db_x, new_db_y);
    type("ROAD");
    key("Return");
    const std::string description = path_in(device.folder(), "ROAD.dnl");
    ASSERT_TRUE(wait_until([&] { return file_exists(description) == 1; }, 5s))
        << "New DB file created nothing";

    // The new file is listed but not chosen: choose it, then the first row, and type it.
    click(db_file_x, db_file_y);
    click(table_x, table_y);
    click(edit_x, name_y);
    type("usd");
    click(edit_x, ext_y);
    type("old");
    click(edit_x, nominal_y);
    type("100");
    click(save_x, save_y);
    ASSERT_TRUE(
        wait_until([&] { return text_of(description) == "COR=0\r\n;USD.OLD_100_1\r\n"; }, 5s))
        << "saved: " << text_of(description);

    click(connect_x, connect_y);
    ASSERT_TRUE(wait_until([&] { return frames_with_code(device, 12) == 1; }, 5s));
    click(start_x, start_y);
    ASSERT_TRUE(wait_until([&] { return frames_with_code(device, 1) == 1; }, 5s))
        << "Start sampling sent nothing";

    for (int pass = 1; pass <= sample_count; ++pass) {
        ASSERT_EQ(device.command("send-sample 42 " + std::to_string(pass)), 1);
        // Each buffer is acknowledged with command 11 once read; the next must not follow
        // within the 100 ms that end a message.
        ASSERT_TRUE(wait_until([&] { return frames_with_code(device, 11) == pass; }, 5s))
            << "sample " << pass << " was not acknowledged";
        std::this_thread::sleep_for(150ms);
    }
    for (int pass = 1; pass <= sample_count; ++pass) {
        const std::string name = "USD.OLD_100_1_" + std::to_string(pass) + ".bin";
        std::vector<std::uint8_t> stored;
        ASSERT_TRUE(wait_until(
            [&] { return read_file_bytes(path_in(device.folder(), name), 4096, stored) == 1; }, 2s))
            << name << " is missing";
        const SampleBuffer sent = generate_sample(42, static_cast<std::uint32_t>(pass));
        EXPECT_EQ(stored, std::vector<std::uint8_t>(sent.begin(), sent.end())) << name;
    }

    // Two samples far outside the envelope of the ten: the first refused with "DO NOT
    // ACCEPT", the second accepted as number 11; "Delete last sample" removes it again.
    const std::string eleventh = path_in(device.folder(), "USD.OLD_100_1_11.bin");
    const auto doubtful_sample = [&](int pass, int button_x) {
        ASSERT_EQ(device.command("send-sample 42 " + std::to_string(pass) + " far"), 1);
        ASSERT_TRUE(wait_until([&] { return frames_with_code(device, 11) == pass; }, 5s));
        // The prompt's buttons appear after its beep.
        std::this_thread::sleep_for(1200ms);
        click(button_x, prompt_y);
    };
    doubtful_sample(sample_count + 1, reject_x);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(file_exists(eleventh), 0) << "a refused sample was stored";
    doubtful_sample(sample_count + 2, accept_x);
    std::vector<std::uint8_t> accepted;
    ASSERT_TRUE(wait_until([&] { return read_file_bytes(eleventh, 4096, accepted) == 1; }, 5s))
        << "the accepted sample was not stored";
    const SampleBuffer far = generate_sample(42, sample_count + 2, SampleKind::far);
    EXPECT_EQ(accepted, std::vector<std::uint8_t>(far.begin(), far.end()));

    click(delete_x, delete_y);
    EXPECT_TRUE(wait_until([&] { return file_exists(eleventh) == 0; }, 5s))
        << "Delete last sample left " << eleventh;
    EXPECT_EQ(file_exists(path_in(device.folder(), "USD.OLD_100_1_10.bin")), 1);

    // The same button now stops sampling.
    click(start_x, start_y);
    EXPECT_TRUE(wait_until([&] { return frames_with_code(device, 2) == 1; }, 5s))
        << "Stop sampling sent nothing";
}
