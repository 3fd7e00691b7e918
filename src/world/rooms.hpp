#pragma once

#include <optional>
#include <span>

#include "game/game_state.hpp"

namespace quellmoor {

/// The four areas of the world. Exits never cross regions; only the teleporter and the
/// ladder lead from one to another.
enum class Region { LordTavrinsDomain, GreatBritton, Labyrinth, MagesGuild };

inline constexpr RoomId kStartRoom = 1;
/// One past the highest room number; room-keyed tables are indexed below it.
inline constexpr RoomId kRoomLimit = 70;

/// The region a room lies in, from its number; nothing for a number that is no room
/// (0, 26 to 50, 70 and above, negative).
constexpr std::optional<Region> regionOf(RoomId room) {
    if (room >= 1 && room <= 9) {
        return Region::LordTavrinsDomain;
    }
    if (room >= 10 && room <= 25) {
        return Region::GreatBritton;
    }
    if (room >= 51 && room <= 64) {
        return Region::Labyrinth;
    }
    if (room >= 65 && room <= 69) {
        return Region::MagesGuild;
    }
    return std::nullopt;
}

/// The row of a room-keyed table (any table whose rows have a `room`) for `room`, or
/// null if the table has none.
template <typename Row>
constexpr const Row* rowForRoom(std::span<const Row> table, RoomId room) {
    for (const Row& row : table) {
        if (row.room == room) {
            return &row;
        }
    }
    return nullptr;
}

/// True for the 44 room numbers: 1 to 25 and 51 to 69.
constexpr bool isRoom(RoomId room) {
    return regionOf(room).has_value();
}

}  // namespace quellmoor
