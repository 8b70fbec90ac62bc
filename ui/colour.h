// Colours as 24-bit RGB values, stored 0x00BBGGRR (red in the low byte). Plain values without
// Qt, so that pure code may name colours too.
#pragma once

#include <cstdint>

using Colour = std::uint32_t;

constexpr Colour rgb(int red, int green, int blue) {
    return static_cast<Colour>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int red_of(Colour colour) {
    return static_cast<int>(colour & 0xFF);
}
constexpr int green_of(Colour colour) {
    return static_cast<int>((colour >> 8) & 0xFF);
}
constexpr int blue_of(Colour colour) {
    return static_cast<int>((colour >> 16) & 0xFF);
}
