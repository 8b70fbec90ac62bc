#include "analysis/dump_analysis.h"
#include "formats/device_messages.h"

#include <gtest/gtest.h>

namespace {

// A recognised note: kind 2, side index 1, so distance group 9 is shown.
DumpFields recognised_note() {
    DumpFields fields;
    fields.kind_index = 2;
    fields.side_index = 1;
    fields.uvl = 200;
    fields.pql = 7;
    fields.uv = 1234;
    fields.cmp = 5;
    fields.mag = 65535;
    fields.pqs = 0;
    fields.name = "USD";
    fields.extension = "   ";
    fields.denomination = 100;
    return fields;
}

// Twelve groups whose values tell them apart; group 9 is the one of recognised_note().
std::vector<DistanceGroup> numbered_groups() {
    std::vector<DistanceGroup> groups;
    for (std::uint16_t i = 0; i < 12; ++i)
        groups.push_back({static_cast<std::uint16_t>(1000 + i), 2000, 3000, 4000});
    groups[9] = {11, 2222, 33333, 4};
    return groups;
}

std::string line_of(int number, const DumpFields& fields,
                    const std::vector<DistanceGroup>& groups) {
    const std::vector<std::uint8_t> dump = build_memory_dump(fields, groups);
    return analyse_dump(number, dump.data(), dump.size());
}

const std::string recognised_line = std::string("   7   ") + "  " + "USD    " + "  " + "  100 " +
                                    "    " + "2" + "  " + "  11   " + " 2222  " + " 33333 " +
                                    "   4   " + " 200 " + "   5   " + " 1234  " + " 65535 " +
                                    "  7  " + "   0   ";

TEST(AnalyseDump, RecognisedNoteFillsEveryColumn) {
    const std::string line = line_of(7, recognised_note(), numbered_groups());
    EXPECT_EQ(line, recognised_line);
    EXPECT_EQ(line.substr(31, 7), "  11   "); // the channel fields start at 31
    EXPECT_EQ(line.substr(59, 5), " 200 ");   // UVL at 59
}

TEST(AnalyseDump, FieldsAreReadAtTheirOffsetsInADumpSetByHand) {
    // Not through build_memory_dump, which the simulated device shares: an offset wrong on
    // both sides would pass there.
    std::vector<std::uint8_t> dump(memory_dump_size, 0);
    const auto put16 = [&dump](std::size_t at, int value) {
        dump[at] = static_cast<std::uint8_t>(value & 0xFF);
        dump[at + 1] = static_cast<std::uint8_t>(value >> 8);
    };
    put16(4, 0x0120); // flags: UV and MAG failed
    dump[22] = 1;     // k
    dump[24] = 2;     // s: group 4 * 1 + 2 = 6, side 3
    dump[32] = 17;    // UVL
    dump[44] = 9;     // PQL
    put16(92, 300);   // UV
    put16(94, 5);     // CMP
    put16(96, 70);    // MAG
    put16(98, 1000);  // PQS
    for (std::size_t i = 0; i < 6; ++i)
        dump[127 + i] = static_cast<std::uint8_t>("EURNEW"[i]);
    dump[133] = 0xF1; // denomination 1 * 65536 + 17 * 256 + 112 = 70000; the high bits do not count
    dump[134] = 112;
    dump[135] = 17;
    put16(4048 + 8 * 6, 1);
    put16(4048 + 8 * 6 + 2, 22);
    put16(4048 + 8 * 6 + 4, 333);
    put16(4048 + 8 * 6 + 6, 4444);
    EXPECT_EQ(analyse_dump(5, dump.data(), dump.size()),
              std::string("   5   ") + "  " + "EUR.NEW" + "  " + " 70000" + "    " + "3" + "  " +
                  "   1   " + "  22   " + "  333  " + " 4444  " + " 17  " + "   5   " + "* 300  " +
                  "* 70   " + "  9  " + " 1000  ");
}

TEST(AnalyseDump, FailureMarksStandBeforeTheirValuesOnly) {
    DumpFields fields = recognised_note();
    fields.flags = 0x0060;
    std::string expected = recognised_line;
    expected[64] = '*'; // CMP
    expected[71] = '*'; // UV
    EXPECT_EQ(line_of(7, fields, numbered_groups()), expected);

    fields.flags = 0x0180;
    expected = recognised_line;
    expected[78] = '*'; // MAG
    expected[90] = '*'; // PQS
    EXPECT_EQ(line_of(7, fields, numbered_groups()), expected);
}

TEST(AnalyseDump, UvlOnlyFlagWinsOverUnrecognised) {
    DumpFields fields = recognised_note();
    fields.flags = 0x0011;
    EXPECT_EQ(line_of(12, fields, numbered_groups()), "  12   " + std::string(52, ' ') + " 200 ");
    fields.flags = 0x0010;
    EXPECT_EQ(line_of(12, fields, numbered_groups()), "  12   " + std::string(52, ' ') + " 200 ");
}

TEST(AnalyseDump, UnrecognisedNoteShowsEarliestSmallestOfItsGroups) {
    DumpFields fields = recognised_note();
    fields.flags = dump_flag_unrecognised;
    fields.kind_index = 2; // groups 0..7 are compared
    std::vector<DistanceGroup> groups = numbered_groups();
    groups[3] = {100, 200, 300, 400};
    groups[5] = {400, 300, 200, 100}; // same sum, later: not taken
    groups[8] = {0, 0, 0, 1};         // smaller, but beyond the 4·k groups
    EXPECT_EQ(line_of(3, fields, groups),
              "   3   " + std::string(24, ' ') + "  100  " + "  200  " + "  300  " + "  400  ");
}

TEST(AnalyseDump, UnrecognisedNoteWithoutGroupsShowsZeros) {
    DumpFields fields = recognised_note();
    fields.flags = dump_flag_unrecognised;
    fields.kind_index = 0;
    const std::string zeros = "   0   " + std::string("   0   ") + "   0   " + "   0   ";
    EXPECT_EQ(line_of(3, fields, numbered_groups()), "   3   " + std::string(24, ' ') + zeros);
}

TEST(AnalyseDump, CurrencyTextForEveryExtensionForm) {
    DumpFields fields = recognised_note();
    fields.extension = "E  ";
    EXPECT_EQ(line_of(7, fields, {}).substr(9, 7), "USD.E  ");
    fields.extension = "OLD";
    EXPECT_EQ(line_of(7, fields, {}).substr(9, 7), "USD.OLD");
    fields.name = std::string("U\0D", 3); // a byte that cannot be shown becomes a blank
    EXPECT_EQ(line_of(7, fields, {}).substr(9, 7), "U D.OLD");
}

TEST(AnalyseDump, SideIndexThreeReadsFourthGroupOfItsKind) {
    DumpFields fields = recognised_note();
    fields.kind_index = 1;
    fields.side_index = 3;
    std::vector<DistanceGroup> groups = numbered_groups();
    groups[7] = {7, 77, 777, 7777};
    const std::string line = line_of(7, fields, groups);
    EXPECT_EQ(line.substr(28, 1), "4");
    EXPECT_EQ(line.substr(31, 28), "   7   " + std::string("  77   ") + "  777  " + " 7777  ");
}

TEST(AnalyseDump, NumbersTooLongForTheirFieldsLeaveThemBlank) {
    DumpFields fields = recognised_note();
    fields.denomination = 999999;
    fields.side_index = 9; // side 10 does not fit its one character
    std::string line = line_of(99999, fields, numbered_groups());
    EXPECT_EQ(line.substr(0, 7), " 99999 ");
    EXPECT_EQ(line.substr(18, 6), "999999");
    EXPECT_EQ(line.substr(28, 1), " ");
    EXPECT_EQ(line.size(), recognised_line.size());

    fields.denomination = 1048575; // the largest 20-bit value, seven digits
    line = line_of(100000, fields, numbered_groups());
    EXPECT_EQ(line.substr(0, 7), std::string(7, ' '));
    EXPECT_EQ(line.substr(18, 6), std::string(6, ' '));
}

TEST(AnalyseDump, ShortDumpIsReadOnlyAsFarAsItGoes) {
    DumpFields fields = recognised_note();
    fields.flags = dump_flag_unrecognised;
    fields.kind_index = 200;
    const std::vector<std::uint8_t> full = build_memory_dump(fields, numbered_groups());
    // The heap copy ends exactly at the cut, so a read past it is caught by the sanitizers.
    const std::vector<std::uint8_t> groups_cut(full.begin(), full.begin() + 4048 + 8 * 9 + 3);
    EXPECT_EQ(analyse_dump(1, groups_cut.data(), groups_cut.size()).substr(31, 7), " 1000  ");

    const std::vector<std::uint8_t> header_cut(full.begin(), full.begin() + 23);
    const std::string line = analyse_dump(1, header_cut.data(), header_cut.size());
    EXPECT_EQ(line.substr(0, 31), "   1   " + std::string(24, ' '));
    EXPECT_EQ(line.substr(31), "   0   " + std::string("   0   ") + "   0   " + "   0   ");

    const std::string empty_line = analyse_dump(2, nullptr, 0);
    EXPECT_EQ(empty_line.substr(0, 31), "   2   " + std::string(11, ' ') + "   0  " + "    1  ");
    EXPECT_EQ(empty_line.size(), recognised_line.size());
}

} // namespace
