#pragma once

#include <string>

#include "game/game_state.hpp"

namespace quellmoor::web {

/// What the map of `room` shows, in words a screen reader can speak in place of the
/// drawing: the region, where the '*' stands among the region's rooms, and the sides on
/// which the drawing leaves a way open. Two rooms of one region never read the same.
/// Empty for a number that is no room.
std::string describeMap(RoomId room);

}  // namespace quellmoor::web
