#pragma once

#include <array>
#include <cstdint>

namespace controls::glyphs {

// Lamp patterns of the display for the character codes 0 to 127.
// Seven segments: bit n lights segment n (top, middle, bottom, upper left, upper right,
// lower left, lower right).
extern const std::array<std::uint16_t, 128> sevenSegment;
// Sixteen segments: bit n lights segment n (see the element order in Display.cpp).
extern const std::array<std::uint16_t, 128> sixteenSegment;
// 5x7 matrix: one byte per row from the top; bit 4 is the leftmost column, bit 0 the rightmost.
extern const std::array<std::array<std::uint8_t, 7>, 128> dotMatrix;

} // namespace controls::glyphs
