#pragma once

#include <string_view>

#include "game/game_state.hpp"

namespace quellmoor {

struct Game;

/// The fixed prose of `room`, exactly as printed; empty for a number that is no room.
std::string_view descriptionOf(RoomId room);

/// "look": prints the description of the current room (nothing if it is no room).
void describeRoom(Game& game);

}  // namespace quellmoor
