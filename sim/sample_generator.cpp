#include "sim/sample_generator.h"

#include <algorithm>

namespace {

constexpr int channel_count = 5;
constexpr int position_count = 312;
constexpr int knot_spacing = 24; // profile knots; values between them are interpolated
constexpr int knot_count = position_count / knot_spacing + 1;
constexpr int far_shift = 80;

// xorshift32 over a mixed seed: small, fast and the same on every platform.
class SeededNumbers {
public:
    explicit SeededNumbers(std::uint32_t seed) : state_(seed * 2654435761u ^ 0x9E3779B9u) {
        if (state_ == 0)
            state_ = 1;
    }
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // An integer in low..high.
    int between(int low, int high) {
        return low + static_cast<int>(next() % static_cast<std::uint32_t>(high - low + 1));
    }

private:
    std::uint32_t state_;
};

std::uint8_t clamped(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

} // namespace

SampleBuffer generate_sample(std::uint32_t note_seed, std::uint32_t sample_seed, SampleKind kind) {
    SeededNumbers note(note_seed);
    SeededNumbers pass(sample_seed ^ (note_seed << 16));
    SampleBuffer buffer{};

    for (int ch = 0; ch < channel_count; ++ch) {
        std::array<int, knot_count> knots{};
        const int level = note.between(50, 190);
        for (int& knot : knots)
            knot = level + note.between(-45, 45);
        const int offset = pass.between(-3, 3);
        for (int i = 0; i < position_count; ++i) {
            const int k = i / knot_spacing;
            const int t = i % knot_spacing;
            const int profile = (knots[static_cast<std::size_t>(k)] * (knot_spacing - t) +
                                 knots[static_cast<std::size_t>(k + 1)] * t) /
                                knot_spacing;
            buffer[static_cast<std::size_t>(5 * i + ch)] =
                clamped(profile + offset + pass.between(-4, 4));
        }
    }
    buffer[1560] = clamped(note.between(20, 230) + pass.between(-2, 2));
    buffer[1561] = clamped(note.between(20, 230) + pass.between(-2, 2));

    if (kind == SampleKind::far) {
        for (std::size_t i = 0; i < sample_data_size; ++i)
            buffer[i] = static_cast<std::uint8_t>(buffer[i] > 127 ? buffer[i] - far_shift
                                                                  : buffer[i] + far_shift);
    }
    std::uint32_t sum = sample_sum(buffer);
    if (kind == SampleKind::wrong_sum)
        ++sum;
    for (std::size_t i = 0; i < 4; ++i)
        buffer[sample_data_size + i] = static_cast<std::uint8_t>(sum >> (8 * i));
    return buffer;
}
