#include "files/file_texts.h"
#include "files/folder_files.h"
#include "formats/results_file.h"
#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

class ResultsFileTest : public ::testing::Test {
protected:
    std::string file_bytes(const std::string& name) const { return temp.read_text(name); }

    TempFolder temp;
    const std::string folder = temp.path();
};

TEST(ResultsFileContents, LineEndsOfEitherKind) {
    EXPECT_EQ(parse_results_file("a\r\nb\nc\r\n"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(parse_results_file("\r\n\nlast"), (std::vector<std::string>{"", "", "last"}));
    EXPECT_TRUE(parse_results_file("").empty());
}

TEST(ResultsFileContents, LongLinesAndControlBytesStayInPlace) {
    const std::string long_line(300, 'x');
    EXPECT_EQ(parse_results_file(long_line + "\r\n" + std::string("a\0b\tc\r", 6) + "\n"),
              (std::vector<std::string>{long_line, "a b c"}));
}

TEST_F(ResultsFileTest, WrittenLinesReadBackAsTheSameTable) {
    std::FILE* file = open_results_file(folder, "day.res", true);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(append_results_line(file, "    17    09.12.24"), 1);
    EXPECT_EQ(append_results_line(file, ""), 1);
    std::fclose(file);
    EXPECT_EQ(file_bytes("day.res"), "    17    09.12.24\r\n\r\n");

    // Reopened, new lines go after the old ones.
    file = open_results_file(folder, "day.res", false);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(append_results_line(file, "last"), 1);
    std::fclose(file);
    std::vector<std::string> lines;
    EXPECT_EQ(read_results_file(folder, "day.res", lines), 1);
    EXPECT_EQ(lines, (std::vector<std::string>{"    17    09.12.24", "", "last"}));

    // A last line cut off without its line end stays a line of its own.
    temp.write_text("cut.res", "abc");
    file = open_results_file(folder, "cut.res", false);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(append_results_line(file, "new"), 1);
    std::fclose(file);
    EXPECT_EQ(file_bytes("cut.res"), "abc\r\nnew\r\n");

    // Creating it again empties it.
    file = open_results_file(folder, "day.res", true);
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_EQ(read_results_file(folder, "day.res", lines), 1);
    EXPECT_TRUE(lines.empty());
}

TEST_F(ResultsFileTest, MissingFileIsNeitherOpenedNorCreated) {
    std::vector<std::string> lines{"old"};
    EXPECT_EQ(open_results_file(folder, "gone.res", false), nullptr);
    EXPECT_EQ(read_results_file(folder, "gone.res", lines), 0);
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(std::filesystem::exists(folder + "/gone.res"));
    EXPECT_EQ(cant_find_text(res_file_name("gone")), "Can't find gone.res");
}

TEST(ResultsFileAppend, FailuresAreReported) {
    EXPECT_EQ(append_results_line(nullptr, "line"), -1);
    std::FILE* full = std::fopen("/dev/full", "r+b");
    if (full == nullptr)
        GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(append_results_line(full, "line"), 0);
    std::fclose(full);
}

} // namespace
