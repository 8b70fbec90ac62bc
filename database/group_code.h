// The group code of the compressed image data. A group of values is written as its minimum
// (the base), a class telling how far the values spread above it, the position of the
// minimum, and for every other position its distance from the base, halved for groups that
// spread 16 or more. The widest distance carried is 252: a group spreading further comes back
// with its highest values at most 3 below.
//
//   base      7 bits; 127 escapes to 127 + a second 7-bit field (so the base reaches 254)
//   class     2 bits: spread < 16, < 32, < 64, otherwise
//   position  main part: 0..13 in 4 bits, 14..17 in 5 bits (11100, 11110, 11101, 11111);
//             tail groups: 0..23 in 5 bits
//   distances 4, 4, 5 or 6 bits by class; class 0 as they are, the others halved; in class 3
//             a halved distance from 63 up is written as 63 and the rest, at most 63
#pragma once

#include "database/bit_writer.h"

#include <cstdint>

enum class PositionCode { main_part, tail };

inline constexpr int main_group_size = 18;
inline constexpr int tail_group_size = 24;

// Writes a group of `count` values. The reader adds `reference` to the base it reads: the
// base of the first group of a pair for the second one, else 0 (the base field then holds
// the difference, modulo 256). Returns the base the reader rebuilds: the minimum, or where
// the field cannot reach it (the minimum is reference - 1) one beside it; this is the
// reference of a following paired group.
int put_group(BitWriter& writer, const std::uint8_t* values, int count, int reference,
              PositionCode position_code);
