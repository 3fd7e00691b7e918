#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace quellmoor {

// The game's numbers are 32-bit signed. Nothing caps gold or stops an opponent being
// struck far below zero, so every sum saturates at the int32 limits instead of wrapping
// (and never overflows, which C++ leaves undefined).

inline std::int32_t clampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

inline std::int32_t saturatingAdd(std::int32_t a, std::int32_t b) {
    return clampToInt32(std::int64_t{a} + b);
}

inline std::int32_t saturatingSubtract(std::int32_t a, std::int32_t b) {
    return clampToInt32(std::int64_t{a} - b);
}

/// `value * numerator / denominator`: multiplies first, then divides, truncating.
/// REQUIRES: denominator > 0.
inline std::int32_t scale(std::int32_t value, std::int32_t numerator, std::int32_t denominator) {
    return clampToInt32(std::int64_t{value} * numerator / denominator);
}

}  // namespace quellmoor
