#pragma once

#include <cstdint>
#include <string_view>

#include "game/rng.hpp"

namespace quellmoor {

/// What a weapon strikes for: one draw's remainder by `spread`, plus `floor`. Fists
/// (spread 0) strike for exactly `floor` and draw nothing.
struct Weapon {
    std::int32_t code;       ///< its WeaponKind
    std::string_view label;  ///< its name on the stats screen
    std::int32_t spread;
    std::int32_t floor;

    std::int32_t weakest() const { return floor; }
    std::int32_t strongest() const { return spread == 0 ? floor : floor + spread - 1; }
};

/// The weapon for a `GameState::weapon` code; any code that is no weapon fights as fists.
const Weapon& weaponFor(std::int32_t code);

/// Rolls one strike with `weapon`: one draw from `rng`, or none for fists.
std::int32_t rollStrike(const Weapon& weapon, Rng& rng);

}  // namespace quellmoor
