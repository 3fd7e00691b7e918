#pragma once

#include <cstdint>

#include "game/word.hpp"

namespace quellmoor {

/// A room number: 1 to 25 and 51 to 69 name the 44 rooms (see world/rooms.hpp).
using RoomId = std::int32_t;

/// The weapon codes held in `GameState::weapon`. Any other value fights as fists.
enum WeaponKind : std::int32_t {
    kFists = 0,
    kClub = 1,
    kDagger = 2,
    kBow = 3,
    kStaff = 4,
    kLongSword = 5,
    kAxe = 6,
    kMace = 7,
    kBroadSword = 8,
    kBattleAxeOfMight = 9,
};

/// The armour values of `GameState::armorFactor`: the percent of an opponent's raw blow
/// that reaches the player. Any other value is worn as a tunic.
enum ArmorFactor : std::int32_t {
    kTunic = 100,  // the starting clothes
    kLeatherArmor = 95,
    kStuddedLeatherArmor = 90,
    kScaleMail = 83,
    kChainMail = 76,
    kFullPlateMail = 60,
    kBoneArmorOfMight = 40,
};
/// Full health and full mana; potions and water restore exactly this much.
inline constexpr std::int32_t kFullHealth = 100;
inline constexpr std::int32_t kFullMana = 100;

/// Word buffer sizes, terminator included: the longest word the game knows has 10 letters.
inline constexpr std::size_t kCommandWordCapacity = 16;
inline constexpr std::size_t kSelectionWordCapacity = 12;

/// All mutable state of one game. Every handler reads and writes it in place; nothing
/// else in the game remembers anything between commands. Numbers are 32-bit signed and
/// flags hold 0 or 1.
struct GameState {
    RoomId room = 0;  ///< 0 until the game begins in room 1
    std::int32_t health = kFullHealth;
    std::int32_t mana = 0;
    std::int32_t gold = 0;
    std::int32_t weapon = kFists;       ///< a WeaponKind
    std::int32_t armorFactor = kTunic;  ///< an ArmorFactor
    std::int32_t healingPotions = 0;
    std::int32_t manaPotions = 0;
    std::int32_t hasAmplify = 0;
    std::int32_t hasWeaken = 0;
    std::int32_t amplifyPending = 0;  ///< Amplify Damage armed for the next strike
    std::int32_t weakenPending = 0;   ///< Weaken armed for the opponent's next blow
    std::int32_t hasImps = 0;
    // The opponent of the room the player last entered that holds one; armed on entry.
    std::int32_t opponentHealth = 0;
    std::int32_t opponentDamageSpread = 0;
    std::int32_t opponentDamageFloor = 0;
    std::int32_t bounty = 0;       ///< gold paid for the last kill
    std::int32_t damageDealt = 0;  ///< last strike; then the opponent's raw blow
    std::int32_t damageTaken = 0;  ///< last blow that reached the player
    std::int32_t opponentSlain = 0;
    std::int32_t playerDead = 0;
    std::int32_t gameOver = 0;  ///< ended by quit or by victory
    Word<kCommandWordCapacity> commandWord;
    Word<kSelectionWordCapacity> shopChoice;
    Word<kSelectionWordCapacity> teleportChoice;
};

}  // namespace quellmoor
