#include "goods/catalogues.hpp"

#include "game/refusals.hpp"
#include "world/rooms.hpp"

namespace quellmoor {
namespace {

// A menu line reads "\n2. Dagger  -  70 gold": a line break (two before the first item),
// the selection number, the name, the separator, the price and " gold".
constexpr DialogStyle kEquipmentDialog{
    .header = "\n\nWhat would you like to buy?",
    .firstItemBreak = "\n\n",
    .priceSeparator = "  -  ",
    .leaveLabel = "Leave shop",
    .leaveOutput = "",
    .invalidSelection = "\n\nInvalid Selection\n",
};
constexpr DialogStyle kSpellDialog{
    .header = "\n\nWhat would you like to buy?",
    .firstItemBreak = "\n\n",
    .priceSeparator = " - ",
    .leaveLabel = "Leave shop",
    .leaveOutput = "\n\nYou leave the shop\n",
    .invalidSelection = kCanNotDoThatUnended,
};
constexpr DialogStyle kPotionDialog{
    .header = "\n\nPlease enter your selection:",
    .firstItemBreak = "\n",
    .priceSeparator = " - ",
    .leaveLabel = "Leave the shop",
    .leaveOutput = "\n\nYou leave the shop\n",
    .invalidSelection = "\n\nThat is an invalid selection\n",
};

// clang-format off
// Lord Tavrin's weapon shop.
constexpr Item kTavrinsWares[] = {
    {"Club",                  30, Effect::SetWeapon, kClub, "\n\nYou have purchased a club\n"},
    {"Dagger",                70, Effect::SetWeapon, kDagger, "\n\nYou have purchased a dagger\n"},
    {"Bow",                  130, Effect::SetWeapon, kBow, "\n\nYou have purchased a bow\n"},
    {"Leather Armor",        110, Effect::SetArmor, kLeatherArmor, "\n\nYou have purchased some leather armor\n"},
    {"Studed Leather Armor", 170, Effect::SetArmor, kStuddedLeatherArmor,
     "\n\nYou have purchased some studed leather armor\n"},
};

// The old man's stand in Great Britton.
constexpr Item kOldMansWares[] = {
    {"Staff",      150, Effect::SetWeapon, kStaff, "\n\nYou have purchased a staff\n"},
    {"Longsword",  255, Effect::SetWeapon, kLongSword, "\n\nYou have purchased a longsword\n"},
    {"Axe",        350, Effect::SetWeapon, kAxe, "\n\nYou have purchased an axe\n"},
    {"Scale Mail", 275, Effect::SetArmor, kScaleMail, "\n\nYou have purchased some scale mail\n"},
    {"Chain Mail", 350, Effect::SetArmor, kChainMail, "\n\nYou have purchased some chain mail\n"},
};

// Brutus, in the Labyrinth.
constexpr Item kBrutusWares[] = {
    {"Mace",                 500, Effect::SetWeapon, kMace, "\n\nYou have purchased a mace\n"},
    {"Broad Sword",          750, Effect::SetWeapon, kBroadSword,
     "\n\nYou have purchased a broad sword\n"},
    {"Battle Axe of Might", 1000, Effect::SetWeapon, kBattleAxeOfMight,
     "\n\nYou have purchased the Battle Axe of Might\n"},
    {"Full Plate Mail",      850, Effect::SetArmor, kFullPlateMail,
     "\n\nYou have purchased some full plate mail\n"},
    {"Bone Armor of Might", 1200, Effect::SetArmor, kBoneArmorOfMight,
     "\n\nYou have purchased the Bone Armor of Might\n"},
};

// The mage of the guild.
constexpr Item kSpells[] = {
    {"Amplify Damage", 800, Effect::LearnAmplify, 0,
     "\n\nYou have purchased a scroll of Amplify Damage and memorize it.\nIt is with you always\n"},
    {"Weaken",         600, Effect::LearnWeaken, 0,
     "\n\nYou have purchased a scroll of Weaken and memorize it.\nIt is with you always\n"},
};

// The purchase text is followed by the new count and " potion(s)\n".
constexpr Item kHealingPotion[] = {
    {"Potion of healing", 150, Effect::AddHealingPotion, 0,
     "\n\nYou have purchased a healing potion\nYou now have "},
};
constexpr Item kManaPotion[] = {
    {"Potion of mana",    350, Effect::AddManaPotion, 0,
     "\n\nYou have purchased a mana potion\nYou now have "},
};

constexpr Shop kShops[] = {
    {3,  &kEquipmentDialog, kTavrinsWares},   // Tavrin's weapon shop
    {19, &kEquipmentDialog, kOldMansWares},   // the old man's stand
    {51, &kEquipmentDialog, kBrutusWares},    // Brutus
    {68, &kSpellDialog,     kSpells},         // the mage
    {7,  &kPotionDialog,    kHealingPotion},  // the healer's cottage
    {15, &kPotionDialog,    kHealingPotion},  // the potion cart
    {63, &kPotionDialog,    kHealingPotion},  // the old woman
    {66, &kPotionDialog,    kManaPotion},     // the old mage
};
// clang-format on

}  // namespace

std::span<const Shop> shopTable() {
    return kShops;
}

const Shop* shopIn(RoomId room) {
    return rowForRoom<Shop>(kShops, room);
}

}  // namespace quellmoor
