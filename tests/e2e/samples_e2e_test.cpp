// varden_samples as its users start it: the window on a virtual X server, and the two
// commands for scripts, --png without any screen.
#include "formats/sample_names.h"
#include "samples/side_samples.h"
#include "sim/sample_generator.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/window_capture.h"
#include "tests/support/temp_folder.h"

#include <QImage>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

const std::string prefix = "USD.OLD_100_1_";
constexpr int far_number = 11;

// Ten usual passes of one note, a far one as number 11, and a usual one after it.
void store_side(const TempFolder& folder) {
    for (int number = 1; number <= 12; ++number) {
        const SampleBuffer buffer =
            generate_sample(9, static_cast<std::uint32_t>(number),
                            number == far_number ? SampleKind::far : SampleKind::usual);
        folder.write(sample_file_name(prefix, number), {buffer.begin(), buffer.end()});
    }
}

// Pixels of the orange in which samples beyond the limit are drawn (over the white chart).
int orange_pixels(const WindowCapture& capture) {
    int count = 0;
    for (const std::uint32_t pixel : capture.pixels) {
        const int red = static_cast<int>(pixel >> 16 & 0xFF);
        const int green = static_cast<int>(pixel >> 8 & 0xFF);
        const int blue = static_cast<int>(pixel & 0xFF);
        count += red > 200 && green > 110 && green < 170 && blue < 90 ? 1 : 0;
    }
    return count;
}

// The standard output of `command`; `status` gets its exit status (-1 when it did not exit).
std::string output_of(const std::string& command, int* status = nullptr) {
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        text += buffer;
    const int ended = ::pclose(pipe);
    if (status)
        *status = WIFEXITED(ended) ? WEXITSTATUS(ended) : -1;
    return text;
}

} // namespace

using SamplesOnVirtualScreen = ControlOnVirtualScreen;

// The window follows the folder: the bad sample set aside from the command line leaves its
// chart at once, and comes back when it is put back.
TEST_F(SamplesOnVirtualScreen, TheWindowShowsTheBadSampleAndFollowsItsSetAsideAndPutBack) {
    TempFolder folder;
    store_side(folder);
    ASSERT_NO_FATAL_FAILURE(start_screen());
    const pid_t samples = spawn({VARDEN_SAMPLES, folder.path()}, "", display, true);
    ASSERT_GT(samples, 0);
    for (int tries = 0; tries < 100 && window.empty(); ++tries) {
        std::this_thread::sleep_for(100ms);
        window = run_for_output({xdotool, "search", "--onlyvisible", "--name", "VARDEN samples"},
                                display);
    }
    ASSERT_FALSE(window.empty()) << "the window did not appear";
    WindowCapture capture;
    const auto orange_shown = [&](bool shown) {
        return wait_until(
            [&] {
                capture = capture_window(xwd, display, window, folder.file("window.xwd"));
                // The legend's orange mark stays; the far sample's lines are many more pixels.
                return shown ? orange_pixels(capture) > 400 : orange_pixels(capture) < 150;
            },
            10s);
    };
    // The first side is chosen at once; its chart draws the far sample in orange.
    EXPECT_TRUE(orange_shown(true)) << "no sample beyond the limit drawn";
    save_capture_png(capture, ARTIFACT_DIR "/varden_samples.png");

    const std::string far_name = sample_file_name(prefix, far_number);
    const std::string in_folder = "cd " + folder.path() + " && " + VARDEN_SAMPLES;
    EXPECT_EQ(output_of(in_folder + " --set-aside " + far_name),
              far_name + " -> set_aside/" + far_name + "\n");
    EXPECT_TRUE(orange_shown(false)) << "the sample set aside is still drawn";
    save_capture_png(capture, ARTIFACT_DIR "/varden_samples_set_aside.png");
    EXPECT_EQ(output_of(in_folder + " --put-back set_aside/" + far_name),
              "set_aside/" + far_name + " -> " + far_name + "\n");
    EXPECT_TRUE(orange_shown(true)) << "the sample put back is not drawn";

    const int status = end_process(samples);
    EXPECT_TRUE((WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) ||
                (WIFEXITED(status) && WEXITSTATUS(status) == 0))
        << "varden_samples ended with wait status " << status;
}

TEST(SamplesCommands, ListAndPngWithoutAScreen) {
    TempFolder folder;
    store_side(folder);
    // The program prints what the listing gives in-process: its own lines, nothing more.
    std::ostringstream expected, notes;
    ASSERT_EQ(write_side_list(folder.path(), prefix, false, expected, notes), 0);
    const std::string lines = expected.str();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 12);
    EXPECT_EQ(output_of(std::string(VARDEN_SAMPLES) + " --list " + prefix + " " + folder.path()),
              lines);

    // A list nobody can store or read is a failure, named on standard error; no SIGPIPE.
    EXPECT_EQ(status_into_a_closed_pipe({VARDEN_SAMPLES, "--list", prefix, folder.path()}), 1 << 8);
    const std::string list = std::string(VARDEN_SAMPLES) + " --list " + prefix + " " +
                             folder.path() + " >/dev/full 2>" + folder.file("errors");
    EXPECT_EQ(std::system(list.c_str()), 1 << 8);
    EXPECT_EQ(folder.read_text("errors"),
              "varden_samples: cannot write the standard output: No space left on device\n");

    // The file gets the name given, byte for byte, also when it is no UTF-8.
    const std::string png = folder.file("side\xff.png");
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                std::string(VARDEN_SAMPLES) + " --png '" + png + "' " + prefix +
                                " " + folder.path() + " 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string stored = folder.read_text("side\xff.png");
    EXPECT_EQ(QImage::fromData(reinterpret_cast<const uchar*>(stored.data()),
                               static_cast<int>(stored.size()))
                  .width(),
              1400);

    // Exit statuses of the moves: 0 done, 1 a move failed, 2 usage.
    const std::string in_folder = "cd " + folder.path() + " && " + VARDEN_SAMPLES;
    const auto status_of = [&](const std::string& arguments) {
        const int status = std::system((in_folder + arguments + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::string first = sample_file_name(prefix, 1);
    EXPECT_EQ(status_of(" --set-aside " + first), 0);
    EXPECT_EQ(status_of(" --set-aside " + first), 1); // gone meanwhile
    EXPECT_EQ(status_of(" --put-back"), 2);
    const std::string set_aside = output_of(in_folder + " --list --set-aside " + prefix);
    EXPECT_EQ(set_aside.rfind(first + " ", 0), 0u) << set_aside; // one line: name, distance
    EXPECT_EQ(std::count(set_aside.begin(), set_aside.end(), '\n'), 1);
    EXPECT_EQ(status_of(" --put-back " + first + " " + first), 1); // the second is gone
}

// A usage error exits 2 and says how to get help, as in the other programs; a folder that
// cannot be read is a data error (1).
TEST(SamplesCommands, AUsageErrorExitsTwoAndSaysWhereHelpIs) {
    const std::string program = VARDEN_SAMPLES;
    for (const char* arguments : {" -x", " --list", " --png out.png", " --help a"}) {
        int status = 0;
        const std::string said = output_of(program + arguments + " 2>&1 >/dev/null", &status);
        EXPECT_EQ(status, 2) << arguments;
        EXPECT_NE(said.find("Try 'varden_samples --help'."), std::string::npos) << said;
    }
    int status = 0;
    output_of(program + " --list " + prefix + " /nonexistent-folder 2>/dev/null", &status);
    EXPECT_EQ(status, 1);
}
