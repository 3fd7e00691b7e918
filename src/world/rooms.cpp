#include "world/rooms.hpp"

namespace quellmoor {

std::optional<Region> regionOf(RoomId room) {
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

}  // namespace quellmoor
