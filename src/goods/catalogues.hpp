#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "game/game_state.hpp"

namespace quellmoor {

/// What buying an item does to the player.
enum class Effect {
    SetWeapon,         ///< `weapon` becomes `value`, whatever it was
    SetArmor,          ///< `armorFactor` becomes `value`, whatever it was
    LearnAmplify,      ///< `hasAmplify` becomes 1
    LearnWeaken,       ///< `hasWeaken` becomes 1
    AddHealingPotion,  ///< one more healing potion
    AddManaPotion,     ///< one more mana potion
};

/// One line of a shop's menu. Its selection word is its place in the menu, from "1".
struct Item {
    std::string_view name;  ///< as the menu shows it
    std::int32_t price;
    Effect effect;
    std::int32_t value;  ///< the weapon code or armour factor, for those effects
    std::string_view confirmation;
};

/// The words and layout of one kind of shop dialog.
struct DialogStyle {
    std::string_view header;
    std::string_view firstItemBreak;  ///< line breaks before the first item
    std::string_view priceSeparator;  ///< between an item's name and its price
    std::string_view leaveLabel;      ///< the last menu line, after its number
    std::string_view leaveOutput;     ///< printed when the player leaves
    std::string_view invalidSelection;
};

/// A merchant: the room, the dialog kind and the catalogue.
struct Shop {
    RoomId room;
    const DialogStyle* style;
    std::span<const Item> items;
};

/// All eight shops.
std::span<const Shop> shopTable();

/// The shop in `room`, or null if there is none.
const Shop* shopIn(RoomId room);

}  // namespace quellmoor
