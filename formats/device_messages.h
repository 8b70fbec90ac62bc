// The memory dump (16048 bytes) and the session result (1442 bytes) the device sends: their
// layouts, readers that never look past the bytes actually received, and builders that the
// simulated device and the tests use to make such messages. Neither message carries a checksum.
// Every number is little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// ---- Memory dump ----

inline constexpr std::size_t memory_dump_size = 16048;

// Bits of the dump's flags word.
inline constexpr std::uint16_t dump_flag_unrecognised = 0x0001;
inline constexpr std::uint16_t dump_flag_uvl_only = 0x0010;
inline constexpr std::uint16_t dump_flag_uv_failed = 0x0020;
inline constexpr std::uint16_t dump_flag_cmp_failed = 0x0040;
inline constexpr std::uint16_t dump_flag_pqs_failed = 0x0080;
inline constexpr std::uint16_t dump_flag_mag_failed = 0x0100;

// The distance table: groups of four 16-bit values from offset 4048 to the end of the dump.
inline constexpr std::size_t dump_distance_table_offset = 4048;
inline constexpr std::size_t dump_distance_group_size = 8;
inline constexpr std::size_t dump_distance_group_capacity =
    (memory_dump_size - dump_distance_table_offset) / dump_distance_group_size;

// The fields of a dump that the analysis line shows (the distance table apart).
struct DumpFields {
    std::uint16_t flags = 0;
    std::uint8_t kind_index = 0; // recognised kind; for an unrecognised note the kinds searched
    std::uint8_t side_index = 0; // 0..3; shown as side 1..4
    std::uint8_t uvl = 0;
    std::uint8_t pql = 0;
    std::uint16_t uv = 0;
    std::uint16_t cmp = 0;
    std::uint16_t mag = 0;
    std::uint16_t pqs = 0;
    std::string name = "   ";       // three characters as stored
    std::string extension = "   ";  // three characters; three blanks = none
    std::uint32_t denomination = 0; // 20 bits
};

// One group of the distance table: the distances of the note in the R, G, B and IR channels.
struct DistanceGroup {
    std::uint16_t r = 0;
    std::uint16_t g = 0;
    std::uint16_t b = 0;
    std::uint16_t ir = 0;
};

// Reads the fields of the first `length` bytes of a dump. A field (or part of one) beyond
// `length` reads as 0, a text character beyond it as a blank.
DumpFields read_dump_fields(const std::uint8_t* dump, std::size_t length);

// Group `index` of the distance table into `group`: true when the whole group lies within the
// first `length` bytes, false (group untouched) otherwise.
bool read_distance_group(const std::uint8_t* dump, std::size_t length, std::size_t index,
                         DistanceGroup& group);

// A complete 16048-byte dump: `fields` at their offsets, `groups[i]` as distance group i (groups
// beyond the table's capacity are left out), every other byte 0. Name and extension are cut or
// blank-padded to three characters; the denomination keeps its low 20 bits.
std::vector<std::uint8_t> build_memory_dump(const DumpFields& fields,
                                            const std::vector<DistanceGroup>& groups);

// ---- Session result ----

inline constexpr std::size_t session_result_size = 1442;
inline constexpr std::size_t session_entry_count = 109;

// One entry of the currency table. An entry whose code is three blanks is unused.
struct SessionEntry {
    std::string code = "   "; // three characters as stored
    std::uint16_t pieces = 0;
    std::int32_t total = 0;
};

struct SessionResult {
    std::uint16_t count = 0;           // notes counted in the session
    std::vector<SessionEntry> entries; // always session_entry_count entries, in table order
};

// Reads the first `length` bytes of a session result; what lies beyond `length` reads as 0, a
// code character beyond it as a blank (so entries cut off entirely are unused).
SessionResult read_session_result(const std::uint8_t* message, std::size_t length);

// A complete 1442-byte session result: `count`, then `entries` as table entries 0, 1, ...
// (at most 109; more are left out), the remaining entries unused, the unread ranges 0.
std::vector<std::uint8_t> build_session_result(std::uint16_t count,
                                               const std::vector<SessionEntry>& entries);
