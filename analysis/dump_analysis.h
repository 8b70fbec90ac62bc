// The analysis line of a memory dump, as the ANALYSIS page lists it under the columns Num,
// Currency, Value, Side, R, G, B, IR, UVL, CMP, UV, MAG, PQL and PQS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The line of dump `number` from the first `length` bytes of the dump (normally the 16048 of
// the dump file; a shorter, truncated or foreign file is read only as far as it goes, the rest
// counting as 0). The line is fixed-column printable ASCII:
// - recognised note: number (7), currency (7), denomination (6), side 1..4, the R, G, B, IR
//   distances of group 4·kind + side (7 each), UVL (5), CMP, UV, MAG (7 each with their "*"
//   failure marks), PQL (5), PQS (7, marked);
// - unrecognised note (flag bit 0): number (7), 24 blanks, the distances of the group with the
//   smallest sum among the 4·kind groups ("0" fields when there is none, as for kind 0);
// - flag bit 4 (wins over bit 0): number (7), 52 blanks, UVL (5).
// A number too long for its field leaves the field blank (dump numbers above 99999 among them).
std::string analyse_dump(int number, const std::uint8_t* dump, std::size_t length);

// The analysis line of dump file `number` of `folder`, read up to 16048 bytes. A file that is
// missing or unreadable gives the line of an empty dump (the number and zero fields).
std::string analyse_dump_file(const std::string& folder, int number);

// The analysis lines of `numbers` in order (at start-up: scan.numbers_to_analyse).
std::vector<std::string> analyse_dump_files(const std::string& folder,
                                            const std::vector<int>& numbers);

// What the line of a dump shows, as values: `shows` says which fields it fills.
struct DumpValues {
    enum class Shows {
        recognised,   // every field
        unrecognised, // the distances of the smallest group only
        uvl_only,     // UVL only
    } shows = Shows::recognised;
    std::string name;      // printable, blanks kept as stored
    std::string extension; // empty when none (stored as three blanks)
    std::int64_t denomination = 0;
    int side = 0; // 1..4
    std::uint16_t r = 0, g = 0, b = 0, ir = 0;
    std::uint16_t uvl = 0, cmp = 0, uv = 0, mag = 0, pql = 0, pqs = 0;
    bool cmp_failed = false, uv_failed = false, mag_failed = false, pqs_failed = false;
};

// The values of the line analyse_dump gives for the same bytes.
DumpValues dump_values(const std::uint8_t* dump, std::size_t length);
