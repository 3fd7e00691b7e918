#include "goods/stats.hpp"

#include "combat/weapons.hpp"
#include "game/game.hpp"

namespace quellmoor {
namespace {

struct ArmorRow {
    std::int32_t factor;
    std::string_view name;
};

constexpr ArmorRow kArmorNames[] = {
    {kLeatherArmor, "Leather Armor"},    {kStuddedLeatherArmor, "Studed Leather Armor"},
    {kScaleMail, "Scale Mail"},          {kChainMail, "Chain Mail"},
    {kFullPlateMail, "Full Plate Mail"}, {kBoneArmorOfMight, "Bone Armor of Might"},
};

// "Club 5-8 damage", or "Fists 4 damage" for a strike that never varies.
void printWeaponLabel(Console& console, const Weapon& weapon) {
    console.print(weapon.label);
    console.print(" ");
    console.print(weapon.weakest());
    if (weapon.strongest() != weapon.weakest()) {
        console.print("-");
        console.print(weapon.strongest());
    }
    console.print(" damage");
}

}  // namespace

std::string_view armorName(std::int32_t armorFactor) {
    for (const ArmorRow& row : kArmorNames) {
        if (row.factor == armorFactor) {
            return row.name;
        }
    }
    return "Tunic";
}

void showStats(Game& game) {
    const GameState& state = game.state;
    Console& console = game.console;
    console.print("\n\nHealth: ");
    console.print(state.health);
    console.print("/100\nMana: ");
    console.print(state.mana);
    console.print("/100\nWeapon: ");
    printWeaponLabel(console, weaponFor(state.weapon));
    console.print("\nArmor: ");
    console.print(armorName(state.armorFactor));
    console.print("\nGold: ");
    console.print(state.gold);
    console.print("\nHealing Potions: ");
    console.print(state.healingPotions);
    console.print("\nMana Potions: ");
    console.print(state.manaPotions);
    console.print("\n");
}

}  // namespace quellmoor
