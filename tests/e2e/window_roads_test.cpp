// The real programs driven from outside on a virtual X server: each page on screen against
// the layout (captures kept under artifacts/ of the build folder), the device ending the
// connection while sampling, the program ended by a signal or killed and started again, and
// ornivex_upgrade answered in a terminal (tmux).
#include "files/folder_files.h"
#include "formats/upgrade_image.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/window_capture.h"
#include "tests/support/sim_driver.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr int tab_y = 55;
constexpr int tab_x[4] = {28 + 60, 273 + 60, 513 + 60, 753 + 60};
constexpr const char* page_names[4] = {"analysis", "session_results", "sampling", "collect"};
constexpr int connect_x = 390 + 60, connect_y = 8 + 12;
constexpr int start_x = 175 + 80, start_y = 77 + 11;

constexpr std::uint32_t background = 0xC8C8C8, inactive_tab = 0x969696, header = 0xAAAAAA;
constexpr std::uint32_t status_back = 0xD4D4CB, grid = 0x969696, white = 0xFFFFFF;
constexpr std::uint32_t value_green = 0x009600;
constexpr std::uint32_t connected_green = 0x008000, disconnected_red = 0xC80000;
constexpr std::uint32_t sampling_off_red = 0xCC0000;

std::vector<int> recorded_codes(const SimulatedDevice& device) {
    std::vector<int> codes;
    for (const RecordedFrame& frame : device.frames())
        codes.push_back(frame.code);
    return codes;
}

bool ends_with(const std::vector<int>& codes, const std::vector<int>& tail) {
    return codes.size() >= tail.size() &&
           std::equal(tail.begin(), tail.end(), codes.end() - static_cast<long>(tail.size()));
}

} // namespace

class WindowRoads : public ControlOnVirtualScreen {
protected:
    void SetUp() override {
        ASSERT_EQ(device.start(1), 1) << "varden_sim did not start";
        ASSERT_NO_FATAL_FAILURE(start_screen());
    }

    void connect() {
        const std::size_t before = device.frames().size();
        click(connect_x, connect_y);
        ASSERT_TRUE(wait_until(
            [&] {
                const std::vector<int> codes = recorded_codes(device);
                return codes.size() >= before + 2 && ends_with(codes, {12, 9});
            },
            5s))
            << "Connect did not connect";
        std::this_thread::sleep_for(200ms);
    }

    WindowCapture capture() {
        return capture_window(xwd, display, window, device.folder() + "/window.xwd");
    }

    // Keeps the capture as build/artifacts/<name>.png and says where.
    void keep(const WindowCapture& shot, const std::string& name) {
        const std::string path = std::string(ARTIFACT_DIR) + "/" + name + ".png";
        EXPECT_EQ(save_capture_png(shot, path), 1) << path;
        std::printf("screenshot: %s\n", path.c_str());
    }

    // Waits for the end of the program; returns its exit status, or -1.
    int wait_for_end(std::chrono::milliseconds limit) {
        int status = 0;
        const bool ended = wait_until(
            [&] { return ::waitpid(control_pid, &status, WNOHANG) == control_pid; }, limit);
        if (!ended)
            return -1;
        control_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    SimulatedDevice device;
};

TEST_F(WindowRoads, EveryPageOnScreenFollowsTheLayout) {
    ASSERT_NO_FATAL_FAILURE(start_control(device.folder()));
    connect();
    for (int page = 0; page < 4; ++page) {
        click(tab_x[page], tab_y);
        const WindowCapture shot = capture();
        ASSERT_GT(shot.width, 0) << "no capture of the window";
        keep(shot, std::string("page_") + page_names[page]);
        SCOPED_TRACE(page_names[page]);

        // Always there: the status label, the green connection indicator and the tabs, the
        // shown one in the window's grey, the others darker.
        EXPECT_TRUE(shot.shows(6, 722, 90, 18, status_back));
        EXPECT_TRUE(shot.shows(130, 10, 16, 16, connected_green));
        EXPECT_FALSE(shot.shows(130, 10, 16, 16, disconnected_red));
        const int label_x[4] = {28, 273, 513, 753};
        for (int tab = 0; tab < 4; ++tab)
            EXPECT_EQ(shot.at(label_x[tab] + 3, 47), tab == page ? background : inactive_tab)
                << "tab " << tab;

        // Each page's own table: its header cells, its grid over the list, and nothing of
        // the other pages' tables.
        const bool analysis = page == 0, results = page == 1, database = page >= 2;
        EXPECT_EQ(shot.at(18, 115) == header, !database) << "header cell at 15";
        EXPECT_EQ(shot.at(303, 115), header) << "header cell at 300";
        EXPECT_EQ(shot.at(88, 400), analysis ? grid : white) << "analysis grid";
        EXPECT_EQ(shot.shows(630, 90, 350, 20, value_green), analysis) << "maximum number";
        EXPECT_EQ(shot.at(633, 300) == grid, results) << "results grid";
        EXPECT_EQ(shot.at(986, 300) == grid, results) << "results grid";
        EXPECT_EQ(shot.at(442, 300) == grid, database) << "database grid";
        // The SAMPLING page alone shows the red "sampling off" indicator and the row edits.
        EXPECT_EQ(shot.shows(20, 77, 16, 16, sampling_off_red), page == 2);
        if (database) {
            EXPECT_EQ(shot.shows(95, 650, 40, 16, white), page == 2) << "name edit";
        }
    }
}

TEST_F(WindowRoads, TheDeviceEndingTheConnectionWhileSamplingStopsIt) {
    ASSERT_NO_FATAL_FAILURE(start_control(device.folder()));
    connect();
    click(tab_x[2], tab_y);
    click(start_x, start_y);
    ASSERT_TRUE(wait_until([&] { return ends_with(recorded_codes(device), {1}); }, 5s))
        << "Start sampling sent nothing";
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(capture().shows(20, 77, 16, 16, sampling_off_red));

    const std::size_t before = device.frames().size();
    ASSERT_EQ(device.command("end-connected"), 1);
    // The program stops the device's sampling and shows both states ended.
    ASSERT_TRUE(wait_until([&] { return device.frames().size() > before; }, 5s));
    EXPECT_EQ(device.frames()[before].code, 2);
    std::this_thread::sleep_for(300ms);
    const WindowCapture shot = capture();
    keep(shot, "connection_ended_while_sampling");
    EXPECT_TRUE(shot.shows(130, 10, 16, 16, disconnected_red));
    EXPECT_TRUE(shot.shows(20, 77, 16, 16, sampling_off_red));
    // "Start sampling" is gone with the connection: its place shows the window's grey.
    EXPECT_EQ(shot.at(start_x, start_y), background);
    ASSERT_EQ(device.command("state"), 1);
    EXPECT_EQ(device.last_reply(), "connected=0 mode=3 sampling=0");
}

TEST_F(WindowRoads, ASignalClosesTheProgramLikeTheWindow) {
    for (int signal_number : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal_number);
        ASSERT_NO_FATAL_FAILURE(start_control(device.folder()));
        connect();
        ::kill(control_pid, signal_number);
        EXPECT_EQ(wait_for_end(10s), 0);
        // The exit sequence leaves the connected state, then stops sampling.
        ASSERT_TRUE(wait_until(
            [&] {
                return ends_with(recorded_codes(device), {13, 2});
            },
            3s))
            << "frames: " << device.frames().size();
        ASSERT_EQ(device.command("state"), 1);
        EXPECT_EQ(device.last_reply().rfind("connected=0", 0), 0u) << device.last_reply();
    }

    // Started as nohup starts it, SIGHUP stays ignored; the traffic log's last line names the
    // signal that ended the program.
    const std::string log = device.folder() + "/control.log";
    ASSERT_NO_FATAL_FAILURE(start_control(device.folder(), {"--traffic-log", log}, true));
    ::kill(control_pid, SIGHUP);
    std::this_thread::sleep_for(1s);
    ASSERT_EQ(::waitpid(control_pid, nullptr, WNOHANG), 0) << "SIGHUP ended the program";
    ::kill(control_pid, SIGTERM);
    EXPECT_EQ(wait_for_end(10s), 0);
    std::string text;
    ASSERT_EQ(read_text_file(log, text), 1);
    EXPECT_TRUE(text.ends_with("  # end by SIGTERM\n")) << text;

    // Its --help cannot be stored or read: a failure, named on standard error; no SIGPIPE.
    EXPECT_EQ(status_into_a_closed_pipe({ORNIVEX_CONTROL, "--version"}), 1 << 8);
    const int full = std::system(
        (std::string(ORNIVEX_CONTROL) + " --help >/dev/full 2>" + device.folder() + "/errors")
            .c_str());
    EXPECT_EQ(WIFEXITED(full) ? WEXITSTATUS(full) : -1, 1);
    ASSERT_EQ(read_text_file(device.folder() + "/errors", text), 1);
    EXPECT_EQ(text, "ornivex_control: cannot write the standard output: No space left on device\n");
}

// A program that was killed leaves the port's exclusive flag behind: the simulated device
// clears it, so the next run opens the port, a normal user's too.
TEST_F(WindowRoads, AKilledProgramDoesNotLockTheNextOneOut) {
    ASSERT_NO_FATAL_FAILURE(start_control(device.folder()));
    connect();
    ::kill(control_pid, SIGKILL);
    EXPECT_EQ(wait_for_end(10s), 128 + SIGKILL);
    // The round trip only makes sure that the device has looked at the closed port.
    ASSERT_EQ(device.command("state"), 1);
    ASSERT_NO_FATAL_FAILURE(start_control(device.folder()));
    connect();
}

// The one selected file of "List of DB files" stays selected whatever the mouse does there: a
// Ctrl+click on it, a click below the last file. Leaving the page and coming back loads it
// again, so its rows stay in the table.
TEST_F(WindowRoads, TheSelectedDescriptionFileCannotBeTakenAway) {
    for (const char* name : {"A.dnl", "B.dnl"})
        ASSERT_EQ(write_file_atomically(device.folder() + "/" + name,
                                        "COR=0\r\n;USD.OLD_100_1\r\n;EUR_5_1\r\n"),
                  1);
    ASSERT_NO_FATAL_FAILURE(start_control(device.folder()));
    constexpr int file_x = 15 + 100, file_b_y = 160 + 18 + 9, below_files_y = 300;
    // The highlight of a selected row (a shade lighter while the list has the focus).
    const auto selected = [](std::uint32_t pixel) {
        return (pixel >> 16) < 0x40 && (pixel & 0xFF) > 0xB0;
    };
    const auto table_filled = [](const WindowCapture& shot) {
        return shot.shows(380, 150, 60, 14, 0x000000); // "EUR" in the second row
    };
    click(tab_x[2], tab_y);
    click(file_x, file_b_y);
    WindowCapture shot = capture();
    ASSERT_TRUE(selected(shot.at(30, file_b_y))) << "B was not selected";
    ASSERT_TRUE(table_filled(shot)) << "B was not loaded";

    run_for_output({xdotool, "mousemove", "--window", window, std::to_string(file_x),
                    std::to_string(file_b_y), "keydown", "Control_L", "click", "1", "keyup",
                    "Control_L"},
                   display);
    click(file_x, below_files_y);
    click(tab_x[3], tab_y);
    click(tab_x[2], tab_y);
    shot = capture();
    keep(shot, "db_file_kept");
    EXPECT_TRUE(selected(shot.at(30, file_b_y))) << "B is no longer selected";
    EXPECT_TRUE(table_filled(shot)) << "the table lost the rows of B";
}

TEST_F(WindowRoads, TheUpgradeToolAnsweredInATerminal) {
    const std::string tmux = find_program("tmux");
    ASSERT_FALSE(tmux.empty()) << "tmux is not installed (Debian package tmux)";
    // A small image of little-endian words; the device keeps what it was sent, packed.
    std::vector<std::uint8_t> image(3 * 1024);
    for (std::size_t at = 0; at < image.size(); ++at)
        image[at] = at % 4 == 3 ? 0 : static_cast<std::uint8_t>(at * 7 + 3);
    const std::string folder = device.folder();
    ASSERT_EQ(write_file_atomically(folder + "/ORNIVEX_VARDEN1_UPGRADE_VERS29_Z4b.bin",
                                    std::string(image.begin(), image.end())),
              1);

    const std::string session = "upgrade" + std::to_string(::getpid());
    const std::string socket = folder + "/tmux.socket";
    const auto tmux_run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {tmux, "-S", socket});
        return run_for_output(args, display);
    };
    const auto screen = [&] {
        std::string text;
        FILE* pane =
            ::popen((tmux + " -S '" + socket + "' capture-pane -p -t " + session).c_str(), "r");
        if (!pane)
            return text;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pane))
            text += buffer;
        ::pclose(pane);
        return text;
    };
    const auto shows = [&](const std::string& words) {
        return wait_until([&] { return screen().find(words) != std::string::npos; }, 10s);
    };

    tmux_run({"new-session", "-d", "-s", session, "-x", "120", "-y", "40", "-c", folder,
              std::string(ORNIVEX_UPGRADE) + "; sleep 30"});
    ASSERT_TRUE(shows("to ORNIVEX VARDEN(y,n)? >>")) << screen();
    tmux_run({"send-keys", "-t", session, "y", "Enter"});
    ASSERT_TRUE(shows("Please enter COM number(valid 1-20) >>")) << screen();
    tmux_run({"send-keys", "-t", session, "1", "Enter"});
    const bool verified = shows("Test controller memory - O'k");
    const std::string dialogue = screen();
    tmux_run({"kill-server"});
    ASSERT_TRUE(verified) << dialogue;
    EXPECT_NE(dialogue.find("Counter connection - OK"), std::string::npos) << dialogue;

    const std::string saved = folder + "/written.bin";
    ASSERT_EQ(device.command("upgrade-save " + saved), 1);
    std::vector<std::uint8_t> written;
    ASSERT_EQ(read_file_bytes(saved, 1 << 20, written), 1);
    EXPECT_EQ(written, pack_upgrade_image(image.data(), image.size()));
}
