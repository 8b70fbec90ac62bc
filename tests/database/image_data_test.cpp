#include "database/image_data.h"
#include "files/folder_files.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
        if (end == std::string::npos)
            break;
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

std::vector<std::string> pword_lines(const std::string& text) {
    std::vector<std::string> lines = lines_of(text);
    std::erase_if(lines, [](const std::string& line) { return line.rfind(".PWORD", 0) != 0; });
    return lines;
}

// Main lines: stretch s, channel ch, line l; tail lines follow the 120 main lines.
std::size_t main_line(int s, int ch, int l) {
    return static_cast<std::size_t>(30 * s + 6 * ch + l);
}
std::size_t tail_line(int tail, int ch) {
    return static_cast<std::size_t>(120 + 5 * tail + ch);
}

PwordBytes pairs_of(std::initializer_list<std::pair<int, int>> pairs) {
    PwordBytes bytes{};
    std::size_t at = 0;
    for (const auto& [minimum, maximum] : pairs) {
        bytes[at++] = static_cast<std::uint8_t>(minimum);
        bytes[at++] = static_cast<std::uint8_t>(maximum);
    }
    return bytes;
}

SideImage side_image_in(const TempFolder& folder, int highest, int mc_percent) {
    return write_side_image("A_10_1_", highest, mc_percent, folder.path(),
                            list_folder(folder.path()));
}

} // namespace

TEST(ImageData, CorrectionOfPairs) {
    PwordBytes bytes = pairs_of({{10, 110}, {25, 110}, {10, 60}, {19, 70}, {0, 255}});
    correct_pairs(bytes, 10);
    EXPECT_EQ(bytes, pairs_of({{20, 110}, {25, 110}, {10, 60}, {24, 70}, {25, 255}}));

    bytes = pairs_of({{10, 110}});
    correct_pairs(bytes, 0);
    EXPECT_EQ(bytes, pairs_of({{10, 110}}));
}

TEST(ImageData, LineFormat) {
    PwordBytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 11);
    EXPECT_EQ(write_line_24(bytes, false, 0),
              ".PWORD 0x000B16,0x212C37,0x424D58,0x636E79,0x848F9A,0xA5B0BB,0xC6D1DC,0xE7F2FD\r\n");
    EXPECT_EQ(write_line_24(pairs_of({{10, 110}}), true, 10).substr(0, 15), ".PWORD 0x146E00");
}

TEST(ImageData, BlockWithoutSampleFiles) {
    TempFolder folder;
    const SideImage image = side_image_in(folder, 0, 0);
    EXPECT_EQ(image.files_used, 0);
    const std::vector<std::string> lines = lines_of(image.text);
    ASSERT_EQ(lines.size(), 167u);
    EXPECT_EQ(lines[0], ";A_10_1_0");
    // Empty lines: after each channel one, after the fifth three more in all; two per tail.
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[8].substr(0, 6), ".PWORD");
    EXPECT_EQ(lines[34].substr(0, 6), ".PWORD");
    EXPECT_EQ(lines[35] + lines[36] + lines[37], "");
    EXPECT_EQ(lines[38].substr(0, 6), ".PWORD");

    const std::vector<std::string> pwords = pword_lines(image.text);
    ASSERT_EQ(pwords.size(), 131u);
    for (std::size_t i = 0; i < 130; ++i)
        EXPECT_EQ(pwords[i],
                  ".PWORD 0xFF00FF,0x00FF00,0xFF00FF,0x00FF00,0xFF00FF,0x00FF00,0xFF00FF,0x00FF00");
    EXPECT_EQ(pwords[130], ".PWORD 0x0000FF,0x00FFFF");
    EXPECT_EQ(lines.back(), "");
}

TEST(ImageData, OneFileGivesItsOwnValues) {
    TempFolder folder;
    std::vector<std::uint8_t> sample(1566);
    for (std::size_t i = 0; i < sample.size(); ++i)
        sample[i] = static_cast<std::uint8_t>(i % 251);
    folder.write("A_10_1_1.bin", sample);
    const SideImage image = side_image_in(folder, 1, 0);
    EXPECT_EQ(image.files_used, 1);
    const std::vector<std::string> pwords = pword_lines(image.text);
    // Stretch 0, channel 1, first line: bytes 1, 6, 11, ... each as (v, v).
    EXPECT_EQ(pwords[main_line(0, 1, 0)],
              ".PWORD 0x010106,0x060B0B,0x101015,0x151A1A,0x1F1F24,0x242929,0x2E2E33,0x333838");
    // Stretch 3, channel 4, last line: stretch positions 60..71, bytes 1384, 1389, ...
    EXPECT_EQ(pwords[main_line(3, 4, 5)].substr(0, 15), ".PWORD 0x818186");
    // First tail, channel 2: bytes 1442, 1447, ...
    EXPECT_EQ(pwords[tail_line(0, 2)].substr(0, 15), ".PWORD 0xBBBBC0");
    // The trailer carries byte 1561 (1561 % 251 = 55 = 0x37).
    EXPECT_EQ(pwords[130], ".PWORD 0x000037,0x37FFFF");
}

TEST(ImageData, LastTailIsCorrectedOnChannels013Only) {
    TempFolder folder;
    folder.write("A_10_1_1.bin", std::vector<std::uint8_t>(1566, 10));
    folder.write("A_10_1_3.bin", std::vector<std::uint8_t>(1566, 110));
    folder.write("A_10_1_4.bin", std::vector<std::uint8_t>(1566, 250)); // above highest 3
    const SideImage image = side_image_in(folder, 3, 10);
    EXPECT_EQ(image.files_used, 2); // number 2 is missing and not counted
    EXPECT_EQ(lines_of(image.text)[0], ";A_10_1_2");

    const std::vector<std::string> pwords = pword_lines(image.text);
    const std::string plain =
        ".PWORD 0x0A6E0A,0x6E0A6E,0x0A6E0A,0x6E0A6E,0x0A6E0A,0x6E0A6E,0x0A6E0A,0x6E0A6E";
    const std::string corrected =
        ".PWORD 0x146E14,0x6E146E,0x146E14,0x6E146E,0x146E14,0x6E146E,0x146E14,0x6E146E";
    EXPECT_EQ(pwords[main_line(2, 0, 3)], plain);
    for (int ch = 0; ch < 5; ++ch) {
        EXPECT_EQ(pwords[tail_line(0, ch)], plain) << ch;
        EXPECT_EQ(pwords[tail_line(1, ch)], ch == 2 || ch == 4 ? plain : corrected) << ch;
    }
}
