// Faults the technician meets: a working folder that is read-only or on a full disk, a device
// that disappears in the middle of a transfer, a port that another program holds, and a
// folder with many files and odd names. The program stays usable, names each failure on the
// status line in red, never reports it as success, and never leaves a part of a file in place
// of a good one.
//
// Real faults: the program runs in a mount namespace of its own, where its working folder is a
// small tmpfs (filled to the last byte for a full disk) or a read-only bind mount of itself.
// Root ignores file permissions, so these are the faults that hold for root as well.
#include "analysis/analysis_view.h"
#include "analysis/results_view.h"
#include "database/database_area.h"
#include "database/description_file.h"
#include "database/description_page.h"
#include "database/sampling_control.h"
#include "database/transfer_buttons.h"
#include "files/folder_files.h"
#include "files/typed_names.h"
#include "formats/results_file.h"
#include "shell/connection.h"
#include "shell/status_line.h"
#include "tests/database/sample_database.h"
#include "tests/support/window_fixture.h"
#include "traffic/upload_control.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int tab_sampling = 4;
constexpr int tab_collect = 6;

bool private_mounts = false;

// Makes the mounts of this test program its own: as root a mount namespace, otherwise also a
// user namespace in which this user is root. Must run before any thread starts.
bool enter_private_mounts() {
    if (::unshare(CLONE_NEWNS) != 0) {
        const std::string uid_map = "0 " + std::to_string(::getuid()) + " 1";
        const std::string gid_map = "0 " + std::to_string(::getgid()) + " 1";
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return false;
        std::ofstream("/proc/self/setgroups") << "deny";
        std::ofstream("/proc/self/uid_map") << uid_map;
        std::ofstream("/proc/self/gid_map") << gid_map;
    }
    return ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

bool status_is(const std::string& text, Colour colour) {
    return status_text().str() == text && status_colour() == colour;
}

std::map<std::string, std::string> folder_contents(const std::string& folder) {
    std::map<std::string, std::string> contents;
    for (const std::string& name : list_folder(folder)) {
        std::string text;
        read_text_file(path_in(folder, name), text);
        contents[name] = text;
    }
    return contents;
}

class FaultsWindowTest : public WindowTest {
protected:
    // The program works in `work`, a 40 MiB tmpfs inside the device's folder, holding the sample
    // database and a link to the device as COM1.
    void SetUp() override {
        if (!private_mounts)
            GTEST_SKIP() << "no mount namespace here: the fault tests need one";
        ASSERT_EQ(device.start(1), 1) << "varden_sim did not start";
        work = device.folder() + "/work";
        std::filesystem::create_directory(work);
        ASSERT_EQ(::mount("tmpfs", work.c_str(), "tmpfs", 0, "size=40m"), 0) << errno;
        write_sample_database(work);
        std::filesystem::create_symlink(device.link_path(), work + "/COM1");
        ASSERT_NO_FATAL_FAILURE(start_in(work));
        ASSERT_EQ(selected_db_file_name(), "EURO.dnl");
    }

    void TearDown() override {
        WindowTest::TearDown();
        if (!work.empty())
            ::umount2(work.c_str(), MNT_DETACH);
    }

    // Fills the tmpfs to its last byte.
    void fill_disk() {
        const int filler = ::open((work + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(filler, 0);
        const std::string chunk(4096, 'x');
        while (::write(filler, chunk.data(), chunk.size()) > 0) {
        }
        EXPECT_EQ(errno, ENOSPC);
        while (::write(filler, chunk.data(), 1) > 0) {
        }
        ::close(filler);
    }

    // The working folder becomes read-only: a read-only bind mount of itself, entered again.
    void make_read_only() {
        ASSERT_EQ(::mount(work.c_str(), work.c_str(), nullptr, MS_BIND, nullptr), 0);
        ASSERT_EQ(
            ::mount(nullptr, work.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);
        ASSERT_EQ(::chdir(work.c_str()), 0);
    }

    std::size_t frame_count() const { return device.frames().size(); }

    // Runs the loop until the device recorded command 8 after the first `skip` frames.
    bool run_until_command_8(std::size_t skip) {
        return run_passes_until(
            [&] {
                const std::vector<RecordedFrame> frames = device.frames();
                return frames.size() > skip && frames.back().code == 8;
            },
            10000);
    }

    // The device sends the side image it was asked for before the upload failed: the loop
    // takes it (and ignores it) before the next message, which must follow 100 ms of silence.
    void take_late_image() {
        run_passes_until([] { return false; }, 500);
    }

    // The device sends what the script line `line` makes while the loop runs; true when it did
    // and the status line came to show `text` in red.
    bool device_sends_until_error(const std::string& line, const std::string& text) {
        int answer = 0;
        std::thread script([&] { answer = device.command(line, 10000); });
        const bool shown = run_passes_until([&] { return status_is(text, colour_error); }, 10000);
        script.join();
        return answer == 1 && shown;
    }

    // Makes the database, downloads it and uploads it back into "EUrO.UPL".
    void upload_good_file() {
        connect_on_page(tab_sampling);
        make_and_download_button();
        click_tab_slot(tab_collect);
        const std::size_t before = frame_count();
        upload_button();
        ASSERT_TRUE(run_until_command_8(before));
        ASSERT_TRUE(status_is("EUrO.UPL created", colour_info));
    }

    // Starts sampling on row 0 (USD.OLD 100, three Side1 samples) and lets the device send a
    // fourth sample like them; true when the status line came to name the file it could not
    // write.
    bool sample_not_written() {
        click_tab_slot(tab_sampling);
        db_area.db_table_list->select_index(0);
        watch_lists();
        main_window->dispatch_command(command_word(db_area.sampling_button->id, notify_clicked), 0);
        return sampling_on == 1 &&
               device_sends_until_error("send-sample 13 4", "Can't write USD.OLD_100_1_4.bin");
    }

    std::string work;

    // From the SAMPLING page: saving, making, an upload, a dump and a sample; each write fails
    // with its own error text and nothing is shown as success.
    void every_write_fails_by_name() {
        save_db_file();
        EXPECT_TRUE(status_is("Can't write EURO.dnl", colour_error));
        make_db_button();
        EXPECT_TRUE(status_is("Can't create ZELK.TMP", colour_error));

        click_tab_slot(tab_collect);
        const std::size_t frames_before = frame_count();
        upload_button();
        ASSERT_TRUE(run_until_command_8(frames_before));
        EXPECT_TRUE(status_is("Can't write EUrO.UPL", colour_error));
        take_late_image();

        EXPECT_TRUE(device_sends_until_error("send-dump kind=2", "Can't write 1.ram"));
        EXPECT_TRUE(sample_not_written());
    }
};

} // namespace

TEST_F(FaultsWindowTest, FullDiskFailsEveryWriteByNameAndKeepsTheGoodFiles) {
    upload_good_file();
    fill_disk();
    const std::map<std::string, std::string> before = folder_contents(work);

    click_tab_slot(tab_sampling);
    ASSERT_NO_FATAL_FAILURE(every_write_fails_by_name());
    // The results of a counting run cannot be added to the open results file.
    EXPECT_TRUE(device_sends_until_error("send-result 1 EUR:1:5", "Can't write ZELK_CON.TMP"));

    // Nothing changed: the description, the made file's source, the uploaded file; no
    // temporary file is left behind.
    EXPECT_EQ(folder_contents(work), before);
}

TEST_F(FaultsWindowTest, ReadOnlyFolderFailsEveryWriteByName) {
    connect_on_page(tab_sampling);
    make_and_download_button();
    make_read_only();
    const std::map<std::string, std::string> before = folder_contents(work);

    ASSERT_NO_FATAL_FAILURE(every_write_fails_by_name());
    EXPECT_EQ(folder_contents(work), before);
}

// The device goes away while it sends its database: the upload stops, the good ".UPL" of the
// last upload stays as it was, and the window goes on with "Error connection".
TEST_F(FaultsWindowTest, DeviceGoneInTheMiddleOfAnUploadKeepsTheOldFile) {
    upload_good_file();
    const std::string good = folder_contents(work)["EUrO.UPL"];

    // The device answers the second "go on" and dies before its image is out.
    ASSERT_EQ(device.command("sequence 6 1 silent"), 1);
    const std::size_t frames_before = frame_count();
    upload_button();
    ASSERT_TRUE(run_passes_until([&] { return frame_count() >= frames_before + 3; }, 10000));
    ASSERT_EQ(device.end_with_signal(SIGKILL), 128 + SIGKILL);

    for (int pass = 0; pass < 5; ++pass)
        main_loop_pass(false);
    EXPECT_EQ(folder_contents(work)["EUrO.UPL"], good);

    // The next request fails by name; a new upload drops the part of the interrupted one.
    upload_button();
    EXPECT_TRUE(status_is("Error connection", colour_error));
    EXPECT_FALSE(std::filesystem::exists(work + "/EUrO.UPL.tmp"));
    EXPECT_EQ(folder_contents(work)["EUrO.UPL"], good);
}

// The device goes away in the middle of a download: it ends with "Error connection", not with
// success, and the window stays usable.
TEST_F(FaultsWindowTest, DeviceGoneInTheMiddleOfADownload) {
    connect_on_page(tab_sampling);
    make_db_button();
    click_tab_slot(tab_collect);
    // The device leaves the third block unanswered; it is killed while the program waits.
    ASSERT_EQ(device.command("sequence 5 1 1 silent"), 1);
    const std::size_t frames_before = frame_count();
    std::atomic<bool> killed = false;
    std::thread killer([&] {
        for (int tries = 0; tries < 500 && !killed; ++tries) {
            if (frame_count() >= frames_before + 4) {
                ::kill(device.pid(), SIGKILL);
                killed = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    download_button();
    killer.join();
    ASSERT_TRUE(killed);
    EXPECT_TRUE(status_is("Error connection", colour_error));
    EXPECT_EQ(main_loop_pass(false), 1);
    connect_button();
    EXPECT_TRUE(status_is("Error connection", colour_error));
}

// A port that another program holds does not open: commands fail with "Error connection".
TEST_F(FaultsWindowTest, PortHeldByAnotherProgramDoesNotOpen) {
    close_current_port();
    const std::size_t frames_before = frame_count();
    const int holder = ::open(device.link_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    select_port(1);
    connect_button();
    EXPECT_EQ(connected, 0);
    EXPECT_TRUE(status_is("Error connection", colour_error));
    EXPECT_EQ(frame_count(), frames_before); // nothing reached the device

    // Once the other program lets go, choosing the port again opens it.
    ::close(holder);
    select_port(1);
    connect_button();
    EXPECT_EQ(connected, 1);
}

// Thousands of files and odd names at start-up: the lists fill up to their capacity with
// names cut at 30 characters before the dot, the odd names do no harm, the dump numbers go on
// after the highest one, and no file is changed.
TEST_F(FaultsWindowTest, StartUpWithThousandsOfOddlyNamedFiles) {
    exit_sequence();
    const std::vector<std::string> odd = {
        "with blank.dnl",
        "\xC3\xA9t\xC3\xA9\xFF.dnl",
        "a_name_of_far_more_than_thirty_characters_before_the_dot.dnl",
        "nodigits.ram",
        "x.y.ram",
        ".ram",
        "with blank.res",
        "\xFE\xFF.res",
        "a_name_of_far_more_than_thirty_characters_before_the_dot.res",
        "USD.OLD_100_1_x.bin",
        "_.bin"};
    for (const std::string& name : odd)
        std::ofstream(path_in(work, name)) << "COR=1\r\n";
    for (int n = 1; n <= 1500; ++n) {
        const std::string number = std::to_string(n);
        for (const std::string& name : {"F" + number + ".dnl", "F" + number + ".res",
                                        number + ".ram", "USD_100_1_" + number + ".bin"})
            std::ofstream(path_in(work, name)) << "x";
    }
    const std::map<std::string, std::string> before = folder_contents(work);

    ASSERT_NO_FATAL_FAILURE(start_here());
    EXPECT_EQ(main_loop_pass(false), 1);
    ASSERT_EQ(db_file_names.size(), listed_names_capacity);
    EXPECT_EQ(db_file_names.front(), "a_name_of_far_more_than_thirty");
    EXPECT_EQ(res_names.size(), listed_names_capacity);
    EXPECT_EQ(memory_dump_counter, 1500);
    EXPECT_EQ(folder_contents(work).size(), before.size()); // ZELK_CON.TMP was there already

    std::map<std::string, std::string> after = folder_contents(work);
    after.erase("ZELK_CON.TMP");
    std::map<std::string, std::string> expected = before;
    expected.erase("ZELK_CON.TMP");
    EXPECT_EQ(after, expected);

    int answer = 0;
    std::thread script([&] { answer = device.command("send-dump kind=2", 10000); });
    EXPECT_TRUE(run_passes_until([&] { return file_exists(path_in(work, "1501.ram")) == 1; }));
    script.join();
    EXPECT_EQ(answer, 1);
}

int main(int argc, char** argv) {
    private_mounts = enter_private_mounts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
