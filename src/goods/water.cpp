#include "goods/water.hpp"

#include <string_view>

#include "game/game.hpp"

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
    for (const WaterSource& source : kWaterSources) {
        if (source.room == game.state.room) {
            game.console.print(source.firstLine);
            game.console.print("\nYour health is fully restored\n");
            game.state.health = kFullHealth;
            return;
        }
    }
    game.console.print("\n\nYou can not do that here\n");
}

}  // namespace quellmoor
