#pragma once

namespace quellmoor {

struct Game;

/// "heal": drinks a healing potion, restoring health to exactly 100.
void drinkHealingPotion(Game& game);
/// "mana": drinks a mana potion, restoring mana to exactly 100.
void drinkManaPotion(Game& game);

}  // namespace quellmoor
