#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace quellmoor {

// The game's numbers are 32-bit signed. Nothing caps gold or stops an opponent being
// struck far below zero, so every sum saturates at the int32 limits instead of wrapping
// (and never overflows, which C++ leaves undefined).

inline constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

inline std::int32_t clampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, kInt32Min, kInt32Max));
}

// The compiler's overflow test costs one instruction where a clamp costs several, and a
// fight adds on every blow.
inline std::int32_t saturatingAdd(std::int32_t a, std::int32_t b) {
    std::int32_t sum;
    if (__builtin_add_overflow(a, b, &sum)) {
        return b > 0 ? kInt32Max : kInt32Min;
    }
    return sum;
}

inline std::int32_t saturatingSubtract(std::int32_t a, std::int32_t b) {
    std::int32_t difference;
    if (__builtin_sub_overflow(a, b, &difference)) {
        return b < 0 ? kInt32Max : kInt32Min;
    }
    return difference;
}

/// `value * numerator / denominator`: multiplies first, then divides, truncating.
/// REQUIRES: denominator > 0.
inline std::int32_t scale(std::int32_t value, std::int32_t numerator, std::int32_t denominator) {
    return clampToInt32(std::int64_t{value} * numerator / denominator);
}

}  // namespace quellmoor
