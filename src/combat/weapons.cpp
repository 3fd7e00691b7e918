#include "combat/weapons.hpp"

#include <iterator>

#include "game/game_state.hpp"

namespace quellmoor {
namespace {

// Indexed by WeaponKind. A strike runs from the floor to floor + spread - 1 (the Bow's from
// 17 to 22); the stats screen shows each range from these same numbers. The Battle Axe of
// Might rolls 110 to 130: the range its label on the stats screen shows.
// clang-format off
constexpr Weapon kWeapons[] = {
    // {code, label on the stats screen, strike spread, strike floor}
    {kFists,            "Fists",                0,   4},
    {kClub,             "Club",                 4,   5},
    {kDagger,           "Dagger",               6,  10},
    {kBow,              "Bow",                  6,  17},
    {kStaff,            "Staff",                7,  25},
    {kLongSword,        "Long Sword",           8,  33},
    {kAxe,              "Axe",                 12,  42},
    {kMace,             "Mace",                16,  60},
    {kBroadSword,       "Broad Sword",         21,  80},
    {kBattleAxeOfMight, "Battle Axe of Might", 21, 110},
};
// clang-format on

constexpr bool rowsFollowTheirCodes() {
    for (std::size_t code = 0; code < std::size(kWeapons); ++code) {
        if (kWeapons[code].code != static_cast<std::int32_t>(code)) {
            return false;
        }
    }
    return true;
}
static_assert(rowsFollowTheirCodes(), "kWeapons is looked up by weapon code");

}  // namespace

const Weapon& weaponFor(std::int32_t code) {
    if (code < 0 || code >= static_cast<std::int32_t>(std::size(kWeapons))) {
        return kWeapons[kFists];
    }
    return kWeapons[code];
}

std::int32_t rollStrike(const Weapon& weapon, Rng& rng) {
    if (weapon.spread == 0) {
        return weapon.floor;
    }
    return rng.roll(weapon.spread, weapon.floor);
}

}  // namespace quellmoor
