// Timing of making and compressing a full database: 120 sides (30 banknotes of four sides)
// made from 50 sample files each, against the time it takes to read those sample files once.
// Goal: the make within 5 times that read time.
#include "bench/full_database.h"
#include "database/description_file.h"
#include "database/download_plan.h"
#include "database/make_database.h"
#include "files/folder_files.h"
#include "formats/image_compression.h"
#include "formats/sample_names.h"
#include "sim/sample_generator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int banknotes = 30;
constexpr int files_per_side = 50;
constexpr int runs = 3;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Reads every sample file once, as the make does at the least.
double read_time(const std::string& folder, const std::vector<std::string>& names) {
    const auto start = Clock::now();
    std::size_t total = 0;
    std::vector<std::uint8_t> bytes;
    for (const std::string& name : names) {
        if (name.ends_with(".bin") && read_file_bytes(path_in(folder, name), 2048, bytes))
            total += bytes.size();
    }
    const double seconds = seconds_since(start);
    if (total == 0)
        std::fprintf(stderr, "bench_make_database: no sample file was read\n");
    return seconds;
}

} // namespace

int main() {
    char pattern[] = "/tmp/varden_bench_XXXXXX";
    const char* made_folder = ::mkdtemp(pattern);
    if (!made_folder) {
        std::perror("bench_make_database: mkdtemp");
        return 1;
    }
    const std::string folder = made_folder;
    MakeInput input;
    input.rows = write_full_database_samples(folder, banknotes, files_per_side);
    input.db_file_name = "BENCH.dnl";
    input.folder = folder;
    input.names = list_folder(folder);
    std::string message;
    if (save_description(path_in(folder, input.db_file_name), input.db_file_name, input.rows, 0, {},
                         message) != 1) {
        std::fprintf(stderr, "bench_make_database: %s\n", message.c_str());
        return 1;
    }

    // The fastest of a few runs: the files are in the page cache for every run alike.
    double read_seconds = read_time(folder, input.names);
    double make_seconds = 1e9;
    int made = 0;
    for (int run = 0; run < runs; ++run) {
        read_seconds = std::min(read_seconds, read_time(folder, input.names));
        const auto start = Clock::now();
        made = make_database(input, message);
        make_seconds = std::min(make_seconds, seconds_since(start));
    }
    std::string made_text;
    if (made != 1 || !read_text_file(path_in(folder, input.db_file_name), made_text)) {
        std::fprintf(stderr, "bench_make_database: the make failed: %s\n", message.c_str());
        return 1;
    }
    const auto start = Clock::now();
    CompressedImages images;
    CompressionFault fault;
    const int compressed = compress_made_file(made_text, images, fault);
    const double compress_seconds = seconds_since(start);
    std::filesystem::remove_all(folder);

    std::printf("%d sides from %d sample files each: reading the files once %.1f ms\n",
                banknotes * side_count, files_per_side, read_seconds * 1e3);
    std::printf("make %.1f ms (%.2f x the read time; goal within 5 x)\n", make_seconds * 1e3,
                make_seconds / read_seconds);
    if (compressed != compression_done) {
        std::printf("compression failed (result %d, line %d, side %d)\n", compressed, fault.line,
                    fault.side);
        return 1;
    }
    const std::uint32_t size = images.side_ends.back();
    std::printf("compression %.1f ms into %u bytes, %d blocks of 1536 (the device takes %d); make "
                "and compression %.2f x the read time\n",
                compress_seconds * 1e3, size, image_block_count(size), max_image_blocks,
                (make_seconds + compress_seconds) / read_seconds);
    return 0;
}
