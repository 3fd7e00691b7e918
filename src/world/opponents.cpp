#include "world/opponents.hpp"

#include "world/rooms.hpp"

namespace quellmoor {
namespace {

// The eleven opponents, weakest first. A raw blow runs from the floor to floor + spread - 1,
// and so does a bounty.
// clang-format off
constexpr Encounter kEncounters[] = {
    // {room, health, blow spread, blow floor, bounty spread, bounty floor, kill wins the game}
    {8,    24,     10,    6,      4,    3, false},  // wildebeast
    {4,    47,     17,    3,      7,    4, false},  // griffin
    {5,    86,     20,    4,     10,    4, false},  // Chupacabra
    {12,   99,     25,    5,     15,    3, false},  // deathly-looking man
    {25,  248,     28,    4,     18,    8, false},  // failed merchant
    {18,  315,     29,    5,     25,   11, false},  // thief
    {16,  424,     32,    9,     35,   26, false},  // huge burly man
    {55,  750,     40,    6,     50,   16, false},  // guard
    {53,  900,     46,    5,     65,   21, false},  // hydra
    {58,  999,     51,   14,     90,   36, false},  // Dark Mage
    {64, 1500,     65,   11,      0,    0, true },  // demon
};
// clang-format on

}  // namespace

std::span<const Encounter> encounterTable() {
    return kEncounters;
}

const Encounter* encounterIn(RoomId room) {
    return rowForRoom<Encounter>(kEncounters, room);
}

void armOpponent(GameState& state) {
    if (const Encounter* encounter = encounterIn(state.room)) {
        state.opponentHealth = encounter->health;
        state.opponentDamageSpread = encounter->damageSpread;
        state.opponentDamageFloor = encounter->damageFloor;
    }
}

}  // namespace quellmoor
