// The image data of one side of a banknote: the envelope (per-position minimum and maximum)
// over its sample files, written as one block of ".PWORD" lines of a made description file.
//
// Block layout (lines end with CR LF):
//   ;<sample_prefix><files used>                    header token, e.g. ;USD.OLD_100_1_12
//   4 stretches x 5 channels x 6 lines of 72 (min, max) pairs, an empty line after channels
//   0..3 and three after channel 4;
//   two tails of 12 positions (288..299, 300..311): 5 lines and two empty lines each;
//   the trailer ".PWORD 0x0000<min 1561>,0x<max 1561>FFFF" and three empty lines.
// Channel ch at position i is byte 5*i + ch of a sample file.
#pragma once

#include "formats/made_file.h"
#include "formats/sample_file.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Raises the minimum of every (minimum, maximum) pair whose spread is above 50 while the
// minimum is below 20 by spread * mc_percent / 100 (integer arithmetic, kept as one byte).
// 0 switches the correction off; the maximum never changes.
void correct_pairs(PwordBytes& bytes, int mc_percent);

// `write_line_24`: the ".PWORD" line of `bytes` and CR LF, corrected first when `correct` is
// set.
std::string write_line_24(PwordBytes bytes, bool correct, int mc_percent);

// The block of one side from its envelope and the number of sample files it was made from.
std::string side_image_text(const std::string& sample_prefix, int files_used,
                            const Envelope& envelope, int mc_percent);

struct SideImage {
    std::string text;
    int files_used = 0;
};

// `write_side_image`: the block of `sample_prefix` built from the files
// `sample_prefix` + k + ".bin" of `folder` for k = 1..`highest_number` (`names` is the folder
// listing). Missing or unreadable numbers are skipped and not counted.
SideImage write_side_image(const std::string& sample_prefix, int highest_number, int mc_percent,
                           const std::string& folder, const std::vector<std::string>& names);
