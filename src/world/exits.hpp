#pragma once

#include "game/game_state.hpp"

namespace quellmoor {

struct Game;

enum class Direction { North, East, South, West };

/// Where the exit of `room` in `direction` leads, or 0 if there is no exit (or no room).
RoomId exitFrom(RoomId room, Direction direction);

/// "n", "e", "s", "w": walks through an exit if there is one (arming the opponent of the
/// room entered), else refuses; either way ends with the map of where the player stands.
void move(Game& game, Direction direction);

}  // namespace quellmoor
