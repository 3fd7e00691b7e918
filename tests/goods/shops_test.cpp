// The eight shops: every item at its price, the dialogs' menus, answers and leave words,
// and what happens when the input ends while a dialog waits.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <tuple>

#include "combat/weapons.hpp"
#include "goods/catalogues.hpp"
#include "goods/stats.hpp"
#include "support/test_game.hpp"

namespace quellmoor {
namespace {

using testing::TestGame;

const std::string kEquipmentHeader = "\n\nWhat would you like to buy?";
const std::string kHealingMenu =
    "\n\nPlease enter your selection:"
    "\n1. Potion of healing - 150 gold"
    "\n2. Leave the shop\n";

/// Each shop's whole menu, header included, as the player sees it.
const std::map<RoomId, std::string> kMenus = {
    {3, kEquipmentHeader + "\n\n1. Club  -  30 gold" + "\n2. Dagger  -  70 gold" +
            "\n3. Bow  -  130 gold" + "\n4. Leather Armor  -  110 gold" +
            "\n5. Studed Leather Armor  -  170 gold" + "\n6. Leave shop\n"},
    {19, kEquipmentHeader + "\n\n1. Staff  -  150 gold" + "\n2. Longsword  -  255 gold" +
             "\n3. Axe  -  350 gold" + "\n4. Scale Mail  -  275 gold" +
             "\n5. Chain Mail  -  350 gold" + "\n6. Leave shop\n"},
    {51, kEquipmentHeader + "\n\n1. Mace  -  500 gold" + "\n2. Broad Sword  -  750 gold" +
             "\n3. Battle Axe of Might  -  1000 gold" + "\n4. Full Plate Mail  -  850 gold" +
             "\n5. Bone Armor of Might  -  1200 gold" + "\n6. Leave shop\n"},
    {68, kEquipmentHeader + "\n\n1. Amplify Damage - 800 gold" + "\n2. Weaken - 600 gold" +
             "\n3. Leave shop\n"},
    {7, kHealingMenu},
    {15, kHealingMenu},
    {63, kHealingMenu},
    {66,
     "\n\nPlease enter your selection:"
     "\n1. Potion of mana - 350 gold"
     "\n2. Leave the shop\n"},
};

const std::string kTooPoor = "\n\nYou do not have enough gold\n";
const std::string kLeave = "\n\nYou leave the shop\n";

/// The fields a purchase may change.
auto goodsOf(const GameState& s) {
    return std::tuple(s.gold, s.weapon, s.armorFactor, s.hasAmplify, s.hasWeaken, s.healingPotions,
                      s.manaPotions);
}

TEST(GoodsShops, EveryItemIsSoldForExactlyItsPriceAndRefusedOneGoldShort) {
    struct Item {
        RoomId room;
        const char* word;
        std::int32_t price;
        std::int32_t GameState::*field;
        std::int32_t value;
        std::string confirmation;
    };
    const std::string healing =
        "\n\nYou have purchased a healing potion\nYou now have 1 potion(s)\n";
    const Item items[] = {
        {3, "1", 30, &GameState::weapon, 1, "\n\nYou have purchased a club\n"},
        {3, "2", 70, &GameState::weapon, 2, "\n\nYou have purchased a dagger\n"},
        {3, "3", 130, &GameState::weapon, 3, "\n\nYou have purchased a bow\n"},
        {3, "4", 110, &GameState::armorFactor, 95, "\n\nYou have purchased some leather armor\n"},
        {3, "5", 170, &GameState::armorFactor, 90,
         "\n\nYou have purchased some studed leather armor\n"},
        {19, "1", 150, &GameState::weapon, 4, "\n\nYou have purchased a staff\n"},
        {19, "2", 255, &GameState::weapon, 5, "\n\nYou have purchased a longsword\n"},
        {19, "3", 350, &GameState::weapon, 6, "\n\nYou have purchased an axe\n"},
        {19, "4", 275, &GameState::armorFactor, 83, "\n\nYou have purchased some scale mail\n"},
        {19, "5", 350, &GameState::armorFactor, 76, "\n\nYou have purchased some chain mail\n"},
        {51, "1", 500, &GameState::weapon, 7, "\n\nYou have purchased a mace\n"},
        {51, "2", 750, &GameState::weapon, 8, "\n\nYou have purchased a broad sword\n"},
        {51, "3", 1000, &GameState::weapon, 9, "\n\nYou have purchased the Battle Axe of Might\n"},
        {51, "4", 850, &GameState::armorFactor, 60,
         "\n\nYou have purchased some full plate mail\n"},
        {51, "5", 1200, &GameState::armorFactor, 40,
         "\n\nYou have purchased the Bone Armor of Might\n"},
        {68, "1", 800, &GameState::hasAmplify, 1,
         "\n\nYou have purchased a scroll of Amplify Damage and memorize it.\nIt is with you "
         "always\n"},
        {68, "2", 600, &GameState::hasWeaken, 1,
         "\n\nYou have purchased a scroll of Weaken and memorize it.\nIt is with you always\n"},
        {7, "1", 150, &GameState::healingPotions, 1, healing},
        {15, "1", 150, &GameState::healingPotions, 1, healing},
        {63, "1", 150, &GameState::healingPotions, 1, healing},
        {66, "1", 350, &GameState::manaPotions, 1,
         "\n\nYou have purchased a mana potion\nYou now have 1 potion(s)\n"},
    };
    for (const Item& item : items) {
        SCOPED_TRACE("room " + std::to_string(item.room) + ", item " + item.word);
        const std::string& menu = kMenus.at(item.room);

        TestGame buyer(item.word);
        buyer.state().room = item.room;
        buyer.state().gold = item.price;
        GameState expected = buyer.state();
        expected.gold = 0;
        expected.*item.field = item.value;
        EXPECT_EQ(buyer.command("buy"), menu + item.confirmation);
        EXPECT_EQ(goodsOf(buyer.state()), goodsOf(expected));

        TestGame poorer(item.word);
        poorer.state().room = item.room;
        poorer.state().gold = item.price - 1;
        const auto before = goodsOf(poorer.state());
        EXPECT_EQ(poorer.command("buy"), menu + kTooPoor);
        EXPECT_EQ(goodsOf(poorer.state()), before);
    }
}

TEST(GoodsShops, DialogsAnswerSelectionsAndEndOfInput) {
    struct Case {
        RoomId room;
        std::int32_t gold;
        const char* input;
        std::string printed;
        std::int32_t goldAfter;
        const char* unread;
    };
    const std::string& tavrin = kMenus.at(3);
    const std::string& mage = kMenus.at(68);
    const std::string& healer = kMenus.at(7);
    const std::string invalid = "\n\nInvalid Selection\n";
    const std::string notHere = "\n\nYou can not do that here";
    const std::string notAnOption = "\n\nThat is an invalid selection\n";
    const Case cases[] = {
        // Whole words only: "01" and "Club" are not "1".
        {3, 500, "01 Club 6", tavrin + invalid + tavrin + invalid + tavrin, 500, ""},
        {3, 500, "1. 6 look", tavrin + invalid + tavrin, 500, " look"},
        {68, 5000, "6 3", mage + notHere + mage + kLeave, 5000, ""},
        {7, 500, "3 2", healer + notAnOption + healer + kLeave, 500, ""},
        {66, 500, "1. 2", kMenus.at(66) + notAnOption + kMenus.at(66) + kLeave, 500, ""},
        {15, 500, "2 1", kMenus.at(15) + kLeave, 500, " 1"},
        // The rest of the line waits for the command loop.
        {3, 100, "1 stats", tavrin + "\n\nYou have purchased a club\n", 70, " stats"},
        {3, 10, "1 stats", tavrin + kTooPoor, 10, " stats"},
        // End of input: the player leaves, as with the leave word.
        {3, 500, "", tavrin, 500, ""},
        {51, 5000, "x", kMenus.at(51) + invalid + kMenus.at(51), 5000, ""},
        {68, 5000, "", mage + kLeave, 5000, ""},
        {68, 5000, "   x\n", mage + notHere + mage + kLeave, 5000, ""},
        {63, 500, "", kMenus.at(63) + kLeave, 500, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("room " + std::to_string(c.room) + ", input \"" + c.input + "\"");
        TestGame game(c.input);
        game.state().room = c.room;
        game.state().gold = c.gold;
        EXPECT_EQ(game.command("buy"), c.printed);
        EXPECT_EQ(game.state().gold, c.goldAfter);
        EXPECT_EQ(game.unreadInput(), c.unread);
        EXPECT_EQ(game.game().rng.draw(), 41);  // dialogs draw nothing
    }
}

TEST(GoodsShops, PurchasesReplaceWhatWasHeldAndSellAgain) {
    struct Case {
        RoomId room;
        const char* word;
        std::int32_t gold;
        std::int32_t GameState::*field;
        std::int32_t held;
        std::int32_t after;
        std::int32_t goldAfter;
    };
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    for (const Case c : {
             Case{51, "1", 5000, &GameState::weapon, 0, 7, 4500},
             Case{3, "1", 5000, &GameState::weapon, 9, 1, 4970},  // a weaker weapon
             Case{3, "4", 5000, &GameState::armorFactor, 40, 95, 4890},
             Case{68, "1", 5000, &GameState::hasAmplify, 1, 1, 4200},  // owned: full price
             Case{68, "2", 600, &GameState::hasWeaken, 1, 1, 0},
             Case{66, "1", 500, &GameState::manaPotions, 2, 3, 150},
             Case{15, "1", 50000, &GameState::healingPotions, 41, 42, 49850},
             Case{7, "1", 150, &GameState::healingPotions, kMax, kMax, 0},
         }) {
        SCOPED_TRACE("room " + std::to_string(c.room) + ", holding " + std::to_string(c.held));
        TestGame game(c.word);
        game.state().room = c.room;
        game.state().gold = c.gold;
        game.state().*c.field = c.held;
        const std::string printed = game.command("buy");
        EXPECT_EQ(game.state().*c.field, c.after);
        if (c.field == &GameState::healingPotions || c.field == &GameState::manaPotions) {
            const std::string count = "You now have " + std::to_string(c.after) + " potion(s)\n";
            EXPECT_EQ(printed.substr(printed.size() - count.size()), count);
        }
        EXPECT_EQ(game.state().gold, c.goldAfter);
    }
}

TEST(GoodsShops, AmplifyDamageBoughtInTwoDialogsCostsTwice) {
    TestGame game("1 1");
    game.state().room = 68;
    game.state().gold = 2000;
    game.command("buy");
    EXPECT_EQ(game.state().hasAmplify, 1);
    game.command("buy");
    EXPECT_EQ(game.state().hasAmplify, 1);
    EXPECT_EQ(game.state().gold, 400);
}

TEST(GoodsShops, BuyIsRefusedOutsideTheEightShopsWithoutReading) {
    int refused = 0;
    for (RoomId room = 0; room <= 70; ++room) {
        if (kMenus.count(room) != 0) {
            continue;
        }
        TestGame game("1");
        game.state().room = room;
        game.state().gold = 5000;
        EXPECT_EQ(game.command("buy"), "\n\nYou can not do that here\n") << "room " << room;
        EXPECT_EQ(game.state().gold, 5000);
        EXPECT_EQ(game.unreadInput(), "1");
        ++refused;
    }
    EXPECT_EQ(refused, 71 - 8);
}

/// Lower case, without blanks: "Long Sword" and "Longsword" are the same weapon.
std::string plainName(std::string_view name) {
    std::string plain;
    for (char c : name) {
        if (c != ' ') {
            plain += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return plain;
}

TEST(GoodsShops, EveryWeaponAndArmourSoldShowsOnTheStatsScreenUnderItsOwnName) {
    for (const Shop& shop : shopTable()) {
        for (const Item& item : shop.items) {
            SCOPED_TRACE(std::string(item.name));
            if (item.effect == Effect::SetWeapon) {
                EXPECT_EQ(plainName(weaponFor(item.value).label), plainName(item.name));
            } else if (item.effect == Effect::SetArmor) {
                EXPECT_EQ(plainName(armorName(item.value)), plainName(item.name));
            }
        }
    }
}

}  // namespace
}  // namespace quellmoor
