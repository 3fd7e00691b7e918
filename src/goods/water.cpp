#include "goods/water.hpp"

#include <string_view>

#include "game/game.hpp"
#include "game/refusals.hpp"
#include "world/rooms.hpp"

namespace quellmoor {
namespace {

struct WaterSource {
    RoomId room;
    std::string_view firstLine;
};

constexpr WaterSource kWaterSources[] = {
    {9, "\n\nYou take a drink from the spring"},
    {20, "\n\nYou take a drink from the well"},
    {57, "\n\nYou take a drink from the fountain"},
};

}  // namespace

// Water is free and can be drunk any number of times; it does nothing for mana.
void drinkWater(Game& game) {
    const WaterSource* source = rowForRoom<WaterSource>(kWaterSources, game.state.room);
    if (source == nullptr) {
        game.console.print(kCanNotDoThat);
        return;
    }
    game.console.print(source->firstLine);
    game.console.print("\nYour health is fully restored\n");
    game.state.health = kFullHealth;
}

}  // namespace quellmoor
