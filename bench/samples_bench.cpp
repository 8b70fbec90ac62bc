// Timings of varden_samples on large sides: `--list` of 1000 to 16000 files, and a side of 200
// and of 1000 samples drawn, by `--png` and in the window, with the resident memory it took.
// Goals: `--list` of 16000 files within 0.5 s; 1000 samples drawn within 1.5 s and 150 MB;
// 200 samples drawn within 200 ms.
#include "files/folder_files.h"
#include "formats/sample_names.h"
#include "samples/samples_window.h"
#include "sim/sample_generator.h"

#include <QApplication>
#include <QPixmap>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const std::string prefix = "USD.OLD_100_1_";

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A side of `count` usual samples, every fiftieth one far.
std::string make_side(int count) {
    const std::string folder = "/tmp/varden_samples_bench_" + std::to_string(count);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    for (int number = 1; number <= count; ++number) {
        const SampleBuffer buffer =
            generate_sample(4, static_cast<std::uint32_t>(number),
                            number % 50 == 0 ? SampleKind::far : SampleKind::usual);
        std::ofstream(path_in(folder, sample_file_name(prefix, number)), std::ios::binary)
            .write(reinterpret_cast<const char*>(buffer.data()),
                   static_cast<std::streamsize>(buffer.size()));
    }
    return folder;
}

struct Run {
    double seconds = 0;
    long resident_kb = 0;
    int status = -1;
};

// Runs `arguments` with standard output to `output`; its time and peak resident memory.
Run run(const std::vector<std::string>& arguments, const std::string& output = "/dev/null") {
    std::fflush(stdout);
    const Clock::time_point start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        if (std::freopen(output.c_str(), "w", stdout) == nullptr)
            ::_exit(126);
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Run result;
    rusage usage{};
    ::wait4(child, &result.status, 0, &usage);
    result.seconds = seconds_since(start);
    result.resident_kb = usage.ru_maxrss;
    return result;
}

// In the child: the window on `folder` shown with its first side drawn.
int draw_window(const std::string& folder) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "samples_bench";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    const Clock::time_point start = Clock::now();
    SamplesWindow window(folder);
    window.show();
    QApplication::processEvents();
    const bool drawn = !window.grab().isNull();
    std::printf("%.6f\n", seconds_since(start));
    return drawn ? 0 : 1;
}

// One line: the time and memory, and the goal when there is one (`goal_seconds` 0: none).
void report(const std::string& what, const Run& result, double goal_seconds, long goal_kb) {
    std::printf("%-40s %7.3f s %8.1f MB", what.c_str(), result.seconds,
                static_cast<double>(result.resident_kb) / 1024);
    if (goal_seconds > 0) {
        const bool met = result.status == 0 && result.seconds <= goal_seconds &&
                         (goal_kb == 0 || result.resident_kb <= goal_kb);
        std::printf("   goal %.2f s", goal_seconds);
        if (goal_kb > 0)
            std::printf(", %ld MB", goal_kb / 1024);
        std::printf("%s", met ? ": met" : ": NOT MET");
    }
    std::printf("%s\n", result.status == 0 ? "" : "   (failed)");
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::string(argv[1]) == "--window")
        return draw_window(argv[2]);
    const std::string self = argv[0];
    const std::string samples = VARDEN_SAMPLES;
    for (const int count : {1000, 4000, 16000}) {
        const std::string folder = make_side(count);
        report("--list of " + std::to_string(count) + " files",
               run({samples, "--list", prefix, folder}), count == 16000 ? 0.5 : 0, 0);
        std::filesystem::remove_all(folder);
    }
    for (const int count : {200, 1000}) {
        const std::string folder = make_side(count);
        const std::string samples_text = std::to_string(count) + " samples";
        const double goal = count == 200 ? 0.2 : 1.5;
        report("--png of " + samples_text + " (whole run)",
               run({samples, "--png", folder + "/chart.png", prefix, folder}), goal, 150 * 1024);
        // The window's own drawing, without the start of the process.
        const std::string timing = folder + "/window_seconds";
        Run window = run({self, "--window", folder}, timing);
        std::ifstream(timing) >> window.seconds;
        report("window of " + samples_text + " (drawing)", window, goal, 150 * 1024);
        std::filesystem::remove_all(folder);
    }
    return 0;
}
