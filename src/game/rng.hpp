#pragma once

#include <cstdint>

#include "game/saturating.hpp"

namespace quellmoor {

/// The game's one pseudo-random generator: a linear congruential generator that is
/// never reseeded, so the same words always play out the same way.
///
/// state' = state * 214013 + 2531011 (mod 2^32); a draw is bits 16..30 of state'.
class Rng {
  public:
    static constexpr std::int32_t kMaxDraw = 0x7FFF;

    /// Returns the next number, 0 to 32767.
    std::int32_t draw() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<std::int32_t>((state_ >> 16) & kMaxDraw);
    }

    /// One chance roll: a draw's remainder by `spread`, plus `floor` (saturating, as every
    /// sum in the game does). REQUIRES: spread > 0.
    std::int32_t roll(std::int32_t spread, std::int32_t floor) {
        return saturatingAdd(draw() % spread, floor);
    }

  private:
    std::uint32_t state_ = 1;
};

}  // namespace quellmoor
