#pragma once

#include <cstdint>
#include <string_view>

namespace quellmoor {

struct Game;

/// The name the stats screen gives an armour factor; any unknown value is a tunic.
std::string_view armorName(std::int32_t armorFactor);

/// "stats": health, mana, weapon, armour, gold and potions. Changes nothing.
void showStats(Game& game);

}  // namespace quellmoor
