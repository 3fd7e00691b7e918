#include "world/opponents.hpp"

#include "world/rooms.hpp"

namespace quellmoor {
namespace {

// clang-format off
constexpr Encounter kEncounters[] = {
    // room  opponent               health  blow spread, floor  bounty spread, floor
    {8,  "wildebeast",             24,  10,  6,   4,   3, false},
    {4,  "griffin",                47,  17,  3,   7,   4, false},
    {5,  "Chupacabra",             86,  20,  4,  10,   4, false},
    {12, "deathly-looking man",    99,  25,  5,  15,   3, false},
    {25, "failed merchant",       248,  28,  4,  18,   8, false},
    {18, "thief",                 315,  29,  5,  25,  11, false},
    {16, "huge burly man",        424,  32,  9,  35,  26, false},
    {55, "guard",                 750,  40,  6,  50,  16, false},
    {53, "hydra",                 900,  46,  5,  65,  21, false},
    {58, "Dark Mage",             999,  51, 14,  90,  36, false},
    {64, "demon",                1500,  65, 11,   0,   0, true},
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
