#pragma once

#include <string_view>

#include "game/game_state.hpp"

namespace quellmoor {

struct Game;

/// A teleporter pedestal: the two regions it offers and the rooms they arrive at.
struct Pedestal {
    RoomId room;
    std::string_view firstOption;  ///< menu line for "1"
    RoomId firstDestination;
    std::string_view secondOption;  ///< menu line for "2"
    RoomId secondDestination;
};

/// The pedestal in `room`, or null if there is none.
const Pedestal* pedestalIn(RoomId room);

/// "teleport": at a pedestal, offers the other two regions, reads the choice and ends
/// with the map of where the player now stands; refused anywhere else.
void teleport(Game& game);

}  // namespace quellmoor
