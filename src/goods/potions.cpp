#include "goods/potions.hpp"

#include "game/game.hpp"

namespace quellmoor {

// A potion always restores to full, so drinking one at full health still spends it.
void drinkHealingPotion(Game& game) {
    GameState& state = game.state;
    if (state.healingPotions <= 0) {
        game.console.print("\n\nYou do not have any healing potions\n");
        return;
    }
    game.console.print("\n\nYou drink a healing potion\n");
    --state.healingPotions;
    state.health = kFullHealth;
}

void drinkManaPotion(Game& game) {
    GameState& state = game.state;
    if (state.manaPotions <= 0) {
        game.console.print("\n\nYou do not have any mana potions\n");
        return;
    }
    game.console.print("\nYou drink the mana potion\n");
    --state.manaPotions;
    state.mana = kFullMana;
}

}  // namespace quellmoor
