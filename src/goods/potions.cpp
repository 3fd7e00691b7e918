#include "goods/potions.hpp"

#include <string_view>

#include "game/game.hpp"

namespace quellmoor {
namespace {

struct Potion {
    std::int32_t GameState::*carried;
    std::int32_t GameState::*restores;
    std::int32_t full;
    std::string_view noneLeft;
    std::string_view drunk;
};

constexpr Potion kHealingPotion{&GameState::healingPotions, &GameState::health, kFullHealth,
                                "\n\nYou do not have any healing potions\n",
                                "\n\nYou drink a healing potion\n"};
// Unlike the healing potion's, the mana potion's line begins with one line break, not
// two; the texts are exact.
constexpr Potion kManaPotion{&GameState::manaPotions, &GameState::mana, kFullMana,
                             "\n\nYou do not have any mana potions\n",
                             "\nYou drink the mana potion\n"};

// A potion always restores to full, so drinking one at full health still spends it.
void drink(Game& game, const Potion& potion) {
    GameState& state = game.state;
    if (state.*potion.carried <= 0) {
        game.console.print(potion.noneLeft);
        return;
    }
    game.console.print(potion.drunk);
    --(state.*potion.carried);
    state.*potion.restores = potion.full;
}

}  // namespace

void drinkHealingPotion(Game& game) {
    drink(game, kHealingPotion);
}

void drinkManaPotion(Game& game) {
    drink(game, kManaPotion);
}

}  // namespace quellmoor
