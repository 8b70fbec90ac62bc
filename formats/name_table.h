// The name table of a download: one 21-byte record per banknote, the extension table, the
// block table (where each side's image data ends) and the database name in display codes,
// sent as two frames of 1496 and 1534 payload bytes.
//
// Record: 0 name (3, blank-padded); 3 the sample counts of Side1..Side4 and 9 the main-part
// sizes of Side1..Side4 in 24-bit words, each four 12-bit numbers packed little-endian
// (number s in bits 12(s-1)..12s-1); 15 the bytes 55 05 00; 18 nominal + 0x500000, 24 bits.
#pragma once

#include "formats/display_alphabet.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr int max_banknotes = 109;
inline constexpr int max_sides = 120;
inline constexpr int name_record_size = 21;
inline constexpr int first_name_frame_size = 1496;
inline constexpr int second_name_frame_size = 1534;
inline constexpr int records_in_first_frame = 36;
inline constexpr int block_table_entries = max_sides + 1;

struct BanknoteEntry {
    std::string name;      // up to 3 characters
    std::string extension; // up to 3 characters, empty when there is none
    std::uint32_t nominal = 0;
    int side_count = 0;                   // 1 or 4
    std::array<int, 4> sample_counts{};   // per side, 0 for missing sides
    std::array<int, 4> main_part_words{}; // per side, 0 for missing sides
};

using NameRecord = std::array<std::uint8_t, name_record_size>;
using FirstNameFrame = std::array<std::uint8_t, first_name_frame_size>;
using SecondNameFrame = std::array<std::uint8_t, second_name_frame_size>;

// The record of a banknote; a default BanknoteEntry gives the record of an unused row
// (blank name, zeros, 55 05 00, 00 00 50).
NameRecord name_record(const BanknoteEntry& banknote);

// Four 12-bit numbers packed into six bytes, number s in bits 12(s-1)..12s-1.
void pack_12_bit_numbers(const std::array<int, 4>& numbers, std::uint8_t* bytes);

// Both payloads for at most 109 banknotes, the end offsets of the sides in the image buffer
// (`side_ends[0]` = 0, then one per side, at most 120 sides) and the database name as shown
// on the display. Unused bytes are zero.
void build_name_frames(const std::vector<BanknoteEntry>& banknotes,
                       const std::vector<std::uint32_t>& side_ends, const DbNameCode& db_name_code,
                       FirstNameFrame& first, SecondNameFrame& second);
