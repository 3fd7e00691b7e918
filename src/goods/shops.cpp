#include "goods/shops.hpp"

#include <cstddef>

#include "game/game.hpp"
#include "game/refusals.hpp"
#include "game/saturating.hpp"
#include "goods/catalogues.hpp"

namespace quellmoor {
namespace {

/// The selection word of the item at `index` (0-based): its menu number.
bool selects(const Word<kSelectionWordCapacity>& word, std::size_t index) {
    const char digit[] = {static_cast<char>('1' + index), '\0'};
    return word.is(digit);
}

void showMenu(Console& console, const Shop& shop) {
    const DialogStyle& style = *shop.style;
    console.print(style.header);
    std::size_t index = 0;
    for (const Item& item : shop.items) {
        console.print(index == 0 ? style.firstItemBreak : "\n");
        console.print(static_cast<std::int32_t>(++index));
        console.print(". ");
        console.print(item.name);
        console.print(style.priceSeparator);
        console.print(item.price);
        console.print(" gold");
    }
    console.print("\n");
    console.print(static_cast<std::int32_t>(index + 1));
    console.print(". ");
    console.print(style.leaveLabel);
    console.print("\n");
}

void deliver(Game& game, const Item& item) {
    GameState& state = game.state;
    game.console.print(item.confirmation);
    switch (item.effect) {
        case Effect::SetWeapon:
            state.weapon = item.value;
            break;
        case Effect::SetArmor:
            state.armorFactor = item.value;
            break;
        case Effect::LearnAmplify:
            state.hasAmplify = 1;
            break;
        case Effect::LearnWeaken:
            state.hasWeaken = 1;
            break;
        case Effect::AddHealingPotion:
            state.healingPotions = saturatingAdd(state.healingPotions, 1);
            game.console.print(state.healingPotions);
            game.console.print(" potion(s)\n");
            break;
        case Effect::AddManaPotion:
            state.manaPotions = saturatingAdd(state.manaPotions, 1);
            game.console.print(state.manaPotions);
            game.console.print(" potion(s)\n");
            break;
    }
}

void sell(Game& game, const Item& item) {
    if (game.state.gold < item.price) {
        game.console.print("\n\nYou do not have enough gold\n");
        return;
    }
    game.state.gold -= item.price;
    deliver(game, item);
}

void runDialog(Game& game, const Shop& shop) {
    Word<kSelectionWordCapacity>& choice = game.state.shopChoice;
    for (;;) {
        showMenu(game.console, shop);
        if (!game.console.readWord(choice)) {
            break;  // the input has ended: the player leaves
        }
        for (std::size_t index = 0; index < shop.items.size(); ++index) {
            if (selects(choice, index)) {
                sell(game, shop.items[index]);
                return;
            }
        }
        if (selects(choice, shop.items.size())) {
            break;
        }
        game.console.print(shop.style->invalidSelection);
    }
    game.console.print(shop.style->leaveOutput);
}

}  // namespace

void buy(Game& game) {
    const Shop* shop = shopIn(game.state.room);
    if (shop == nullptr) {
        game.console.print(kCanNotDoThat);
        return;
    }
    runDialog(game, *shop);
}

}  // namespace quellmoor
