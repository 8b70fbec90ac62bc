#include "analysis/dump_analysis.h"
#include "formats/device_messages.h"
#include "formats/dump_file.h"
#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

TEST(ScanDumpFiles, CounterFollowsHighestNumberedName) {
    const DumpScan scan = scan_dump_files({"12.ram", "abc.ram", "7.ram", "3.bin"});
    EXPECT_EQ(scan.highest_found, 12);
    EXPECT_EQ(scan.counter, 12);
    EXPECT_EQ(scan.numbers_to_analyse, (std::vector<int>{7, 12}));

    const DumpScan none = scan_dump_files({"abc.ram", "notes.res"});
    EXPECT_EQ(none.counter, 0);
    EXPECT_TRUE(none.numbers_to_analyse.empty());
}

TEST(ScanDumpFiles, CounterIsCappedButPanelShowsHighest) {
    const DumpScan scan = scan_dump_files({"3.ram", "120000.ram"});
    EXPECT_EQ(scan.highest_found, 120000);
    EXPECT_EQ(scan.counter, 99999);
    EXPECT_EQ(scan.numbers_to_analyse, (std::vector<int>{3}));
    EXPECT_EQ(dump_file_name(scan.counter + 1), "100000.ram");

    const DumpScan huge = scan_dump_files({"99999999999999999999999999.ram"});
    EXPECT_EQ(huge.highest_found, 2147483647);
    EXPECT_EQ(huge.counter, 99999);
}

TEST(ScanDumpFiles, OnlyExactlyNamedDumpsAreAnalysed) {
    // "007" and "9x" count toward the counter, but no file "7.ram" or "9.ram" exists.
    const DumpScan scan =
        scan_dump_files({"007.ram", "9x.ram", "5.ram.tmp", "6.RAM", "2.ram", "4.old.ram"});
    EXPECT_EQ(scan.counter, 9);
    EXPECT_EQ(scan.numbers_to_analyse, (std::vector<int>{2}));
}

TEST(ScanDumpFiles, AtMostTheCapacityOfTheListIsAnalysed) {
    std::vector<std::string> names;
    for (int n = 10005; n >= 1; --n)
        names.push_back(dump_file_name(n));
    const DumpScan scan = scan_dump_files(names);
    EXPECT_EQ(scan.counter, 10005);
    ASSERT_EQ(scan.numbers_to_analyse.size(), dump_lines_capacity);
    EXPECT_EQ(scan.numbers_to_analyse.front(), 1);
    EXPECT_EQ(scan.numbers_to_analyse.back(), 10000);
}

class DumpFileTest : public ::testing::Test {
protected:
    TempFolder temp;
    const std::string folder = temp.path();
};

TEST_F(DumpFileTest, WrittenDumpReadsBackAsItsLine) {
    DumpFields fields;
    fields.name = "USD";
    fields.denomination = 20;
    const std::vector<std::uint8_t> dump = build_memory_dump(fields, {{1, 2, 3, 4}});
    ASSERT_EQ(write_dump_file(folder, 7, dump.data(), dump.size()), 1);
    EXPECT_EQ(std::filesystem::file_size(folder + "/7.ram"), memory_dump_size);
    int entries = 0; // the temporary file is gone
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++entries;
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(analyse_dump_files(folder, {7}),
              std::vector<std::string>{analyse_dump(7, dump.data(), dump.size())});
}

TEST_F(DumpFileTest, ShortOrMissingFileStillGivesALine) {
    DumpFields fields;
    fields.side_index = 2;
    const std::vector<std::uint8_t> dump = build_memory_dump(fields, {});
    std::ofstream(folder + "/3.ram", std::ios::binary)
        .write(reinterpret_cast<const char*>(dump.data()), 25); // up to the side index
    const std::string empty_line = analyse_dump(4, nullptr, 0);
    EXPECT_EQ(analyse_dump_file(folder, 4), empty_line);
    const std::string short_line = analyse_dump_file(folder, 3);
    EXPECT_EQ(short_line.size(), empty_line.size());
    EXPECT_EQ(short_line.substr(0, 7), "   3   ");
    EXPECT_EQ(short_line.substr(28, 1), "3");
}

TEST_F(DumpFileTest, FailedWriteIsReportedAndLeavesNothing) {
    const std::vector<std::uint8_t> dump = build_memory_dump({}, {});
    EXPECT_EQ(write_dump_file(folder + "/missing", 1, dump.data(), dump.size()), 0);
    // A directory in the way of the file: the rename fails and no temporary file is left.
    std::filesystem::create_directory(folder + "/2.ram");
    std::filesystem::create_directory(folder + "/2.ram/inside");
    EXPECT_EQ(write_dump_file(folder, 2, dump.data(), dump.size()), 0);
    EXPECT_FALSE(std::filesystem::exists(folder + "/2.ram.tmp"));
}

} // namespace
