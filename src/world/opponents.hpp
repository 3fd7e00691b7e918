#pragma once

#include <cstdint>
#include <span>

#include "game/game_state.hpp"

namespace quellmoor {

/// An opponent waiting in a room: what entering the room arms, and what killing it pays.
struct Encounter {
    RoomId room;
    std::int32_t health;
    // Its raw blow: a draw's remainder by the spread, plus the floor.
    std::int32_t damageSpread;
    std::int32_t damageFloor;
    // Its bounty, rolled the same way; the demon pays none, its death wins the game.
    std::int32_t bountySpread;
    std::int32_t bountyFloor;
    bool winsGame;
};

/// The eleven opponents, weakest first.
std::span<const Encounter> encounterTable();

/// The opponent waiting in `room`, or null if none does.
const Encounter* encounterIn(RoomId room);

/// On entering a room: writes its opponent's full health, blow spread and blow floor
/// into the state. Rooms without an opponent leave the opponent fields as they were.
void armOpponent(GameState& state);

}  // namespace quellmoor
