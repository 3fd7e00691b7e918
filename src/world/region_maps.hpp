#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "game/game_state.hpp"
#include "world/rooms.hpp"

namespace quellmoor {

struct Game;

/// Where a room's '*' goes in its region's drawing; lines and columns count from 1.
struct MarkerCell {
    int line;
    int column;
};

/// The base drawing of a region, one string per line, without line breaks.
std::span<const std::string_view> regionDrawing(Region region);

/// The marker cell of `room`, or nothing for a number that is no room.
std::optional<MarkerCell> markerCell(RoomId room);

/// The map of `room` exactly as "map" prints it: two line breaks, then each line of its
/// region's drawing with its line break, a '*' in the room's cell. Empty for a number
/// that is no room.
std::string_view printedMap(RoomId room);

/// "map": draws the current region with a '*' where the player stands. Prints nothing
/// at all if the current room number is no room.
void drawMap(Game& game);

}  // namespace quellmoor
