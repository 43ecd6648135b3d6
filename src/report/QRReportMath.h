#pragma once

#include <cmath>

namespace report {

// Rounding as the report's arithmetic uses it: to the nearest integer, halves to the even
// neighbour (the floating-point environment's default mode).
inline int RoundEven(double v) {
    return int(std::nearbyint(v));
}

} // namespace report
