// Timing of start-up with 10000 memory dump files in the working folder, up to the window
// shown (every dump analysed into its line), against the time it takes to read those files
// once. Goal: start-up within 3 times that read time.
#include "analysis/analysis_view.h"
#include "app/main_loop.h"
#include "files/folder_files.h"
#include "formats/device_messages.h"
#include "formats/dump_file.h"
#include "tests/support/sim_driver.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int dump_count = 10000;
constexpr int runs = 3;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void write_dumps(const std::string& folder) {
    for (int number = 1; number <= dump_count; ++number) {
        DumpFields fields;
        fields.kind_index = static_cast<std::uint8_t>(number % 8);
        fields.side_index = static_cast<std::uint8_t>(number % 4);
        fields.name = "USD";
        fields.denomination = static_cast<std::uint32_t>(number % 500);
        fields.flags = static_cast<std::uint16_t>(number % 5 == 0 ? dump_flag_unrecognised : 0);
        const std::vector<DistanceGroup> groups(40, {std::uint16_t(number % 300), 20, 30, 40});
        const std::vector<std::uint8_t> dump = build_memory_dump(fields, groups);
        std::ofstream(path_in(folder, dump_file_name(number)), std::ios::binary)
            .write(reinterpret_cast<const char*>(dump.data()),
                   static_cast<std::streamsize>(dump.size()));
    }
}

double read_once(const std::string& folder) {
    const Clock::time_point start = Clock::now();
    std::size_t total = 0;
    for (int number = 1; number <= dump_count; ++number) {
        std::vector<std::uint8_t> bytes;
        read_file_bytes(path_in(folder, dump_file_name(number)), memory_dump_size, bytes);
        total += bytes.size();
    }
    const double seconds = seconds_since(start);
    if (total != std::size_t{dump_count} * memory_dump_size)
        std::fprintf(stderr, "read only %zu bytes\n", total);
    return seconds;
}

// Start-up with `expected_lines` dump files present, up to the window shown.
double start_up(std::size_t expected_lines) {
    const Clock::time_point start = Clock::now();
    if (start_program() != 1)
        return -1;
    const double seconds = seconds_since(start);
    if (dump_lines.size() != expected_lines)
        std::fprintf(stderr, "start-up made %zu lines\n", dump_lines.size());
    exit_sequence();
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::string folder = make_temp_folder();
    if (folder.empty())
        return 1;
    double best_empty_start = 1e9;
    double best_read = 1e9;
    double best_start = 1e9;
    {
        WorkingFolder inside(folder);
        // What start-up costs without any dump file, for comparison.
        for (int run = 0; run < runs; ++run)
            best_empty_start = std::min(best_empty_start, start_up(0));
        write_dumps(".");
        for (int run = 0; run < runs; ++run) {
            best_read = std::min(best_read, read_once("."));
            best_start = std::min(best_start, start_up(dump_count));
        }
    }
    std::filesystem::remove_all(folder);
    std::printf("start-up without dump files %.3f s\n"
                "%d dump files: read once %.3f s, start-up to the window shown %.3f s, "
                "ratio %.2f (goal: at most 3)\n",
                best_empty_start, dump_count, best_read, best_start, best_start / best_read);
    return 0;
}
