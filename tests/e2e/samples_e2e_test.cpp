// varden_samples as its users start it: the window on a virtual X server, and the two
// commands for scripts, --png without any screen.
#include "database/sample_names.h"
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

std::string output_of(const std::string& command) {
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        text += buffer;
    ::pclose(pipe);
    return text;
}

} // namespace

using SamplesOnVirtualScreen = ControlOnVirtualScreen;

TEST_F(SamplesOnVirtualScreen, TheWindowShowsTheSideWithItsBadSample) {
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
    // The first side is chosen at once; its chart draws the far sample in orange.
    EXPECT_TRUE(wait_until(
        [&] {
            capture = capture_window(xwd, display, window, folder.file("window.xwd"));
            return orange_pixels(capture) > 200;
        },
        10s))
        << "no sample beyond the limit drawn";
    save_capture_png(capture, ARTIFACT_DIR "/varden_samples.png");
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
    ASSERT_EQ(write_side_list(folder.path(), prefix, expected, notes), 0);
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
}
