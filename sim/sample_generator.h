// Realistic sample buffers: what the device sends for one banknote while sampling is on.
// For the simulated device and the tests; the same seeds always give the same bytes.
//
// Each banknote kind (`note_seed`) has a smooth profile per channel (five interleaved channels
// over 312 positions, then two single values); each sample (`sample_seed`) is that profile
// with a little feed offset and noise, as successive passes of one note look.
#pragma once

#include "formats/sample_file.h"

#include <array>
#include <cstdint>

using SampleBuffer = std::array<std::uint8_t, sample_buffer_size>;

enum class SampleKind {
    usual,     // close to every other usual sample of the same note
    far,       // every value moved by 80: far outside the envelope of the usual ones
    wrong_sum, // a usual sample whose stored sum is off by one
};

SampleBuffer generate_sample(std::uint32_t note_seed, std::uint32_t sample_seed,
                             SampleKind kind = SampleKind::usual);
