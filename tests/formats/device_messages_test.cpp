#include "formats/device_messages.h"

#include <gtest/gtest.h>

namespace {

TEST(MemoryDumpMessage, FieldsSurviveBuildAndRead) {
    DumpFields fields;
    fields.flags = 0x01F1;
    fields.kind_index = 17;
    fields.side_index = 3;
    fields.uvl = 255;
    fields.pql = 1;
    fields.uv = 0xABCD;
    fields.cmp = 2;
    fields.mag = 3;
    fields.pqs = 0xFFFF;
    fields.name = "EUR";
    fields.extension = "N  ";
    fields.denomination = 0xABCDE;
    const std::vector<std::uint8_t> dump = build_memory_dump(fields, {{1, 2, 3, 4}});
    ASSERT_EQ(dump.size(), memory_dump_size);

    // The denomination's 20 bits: low nibble of 133 high, then 135 middle, 134 low.
    EXPECT_EQ(dump[133], 0x0A);
    EXPECT_EQ(dump[134], 0xDE);
    EXPECT_EQ(dump[135], 0xBC);
    EXPECT_EQ(dump[4048], 1);
    EXPECT_EQ(dump[4054], 4);

    const DumpFields back = read_dump_fields(dump.data(), dump.size());
    EXPECT_EQ(back.flags, fields.flags);
    EXPECT_EQ(back.kind_index, fields.kind_index);
    EXPECT_EQ(back.side_index, fields.side_index);
    EXPECT_EQ(back.uvl, fields.uvl);
    EXPECT_EQ(back.pql, fields.pql);
    EXPECT_EQ(back.uv, fields.uv);
    EXPECT_EQ(back.cmp, fields.cmp);
    EXPECT_EQ(back.mag, fields.mag);
    EXPECT_EQ(back.pqs, fields.pqs);
    EXPECT_EQ(back.name, fields.name);
    EXPECT_EQ(back.extension, fields.extension);
    EXPECT_EQ(back.denomination, fields.denomination);
}

TEST(MemoryDumpMessage, DistanceTableEndsWithTheDump) {
    std::vector<DistanceGroup> groups(dump_distance_group_capacity + 5, {9, 9, 9, 9});
    const std::vector<std::uint8_t> dump = build_memory_dump({}, groups);
    ASSERT_EQ(dump.size(), memory_dump_size);
    DistanceGroup group;
    EXPECT_TRUE(
        read_distance_group(dump.data(), dump.size(), dump_distance_group_capacity - 1, group));
    EXPECT_EQ(group.ir, 9);
    EXPECT_FALSE(
        read_distance_group(dump.data(), dump.size(), dump_distance_group_capacity, group));
}

TEST(SessionResultMessage, EntriesSurviveBuildAndRead) {
    const std::vector<std::uint8_t> message =
        build_session_result(65535, {{"USD", 3, 300}, {"   ", 0, 0}, {"EUR", 65535, -20}});
    ASSERT_EQ(message.size(), session_result_size);
    EXPECT_EQ(message[0], 0xFF);
    EXPECT_EQ(message[2 + 12], 'E');   // code of entry 2
    EXPECT_EQ(message[722 + 4], 0xFF); // pieces of entry 2
    EXPECT_EQ(message[962], 44);       // total of entry 0

    const SessionResult result = read_session_result(message.data(), message.size());
    EXPECT_EQ(result.count, 65535);
    ASSERT_EQ(result.entries.size(), session_entry_count);
    EXPECT_EQ(result.entries[0].code, "USD");
    EXPECT_EQ(result.entries[2].pieces, 65535);
    EXPECT_EQ(result.entries[2].total, -20);
    EXPECT_EQ(result.entries[108].code, "   ");
}

TEST(SessionResultMessage, ShortMessageReadsAsUnusedBeyondItsEnd) {
    const std::vector<std::uint8_t> full = build_session_result(4, {{"USD", 3, 300}});
    const std::vector<std::uint8_t> cut(full.begin(), full.begin() + 10);
    const SessionResult result = read_session_result(cut.data(), cut.size());
    EXPECT_EQ(result.count, 4);
    EXPECT_EQ(result.entries[0].code, "USD");
    EXPECT_EQ(result.entries[0].pieces, 0);
    EXPECT_EQ(result.entries[1].code, "   ");
}

} // namespace
