// The stats screen, the two potions, the three water sources and the imps. None of them
// draws from the generator or provokes an opponent.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/test_game.hpp"

namespace quellmoor {
namespace {

using testing::TestGame;

struct Stats {
    std::int32_t health = 100, mana = 0;
    std::string weapon = "Fists 4 damage", armor = "Tunic";
    std::int32_t gold = 0, healingPotions = 0, manaPotions = 0;
};

std::string screen(const Stats& s) {
    return "\n\nHealth: " + std::to_string(s.health) + "/100\nMana: " + std::to_string(s.mana) +
           "/100\nWeapon: " + s.weapon + "\nArmor: " + s.armor +
           "\nGold: " + std::to_string(s.gold) +
           "\nHealing Potions: " + std::to_string(s.healingPotions) +
           "\nMana Potions: " + std::to_string(s.manaPotions) + "\n";
}

void expectNothingDrawn(TestGame& game) {
    EXPECT_EQ(game.game().rng.draw(), 41);  // still the first draw of the game
}

TEST(GoodsStats, StartingScreenAndPlainNumbers) {
    TestGame game;
    EXPECT_EQ(game.command("stats"), screen({}));
    GameState& state = game.state();
    state.health = 7;
    state.mana = 49;
    state.gold = 1234567;
    state.weapon = 6;
    state.armorFactor = 76;
    state.healingPotions = 12;
    state.manaPotions = 3;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(game.command("stats"),
                  screen({7, 49, "Axe 42-53 damage", "Chain Mail", 1234567, 12, 3}));
    }
    expectNothingDrawn(game);
}

TEST(GoodsStats, WeaponLabelsAndArmourNames) {
    struct Case {
        std::int32_t code;
        const char* label;
    };
    for (const Case c :
         {Case{0, "Fists 4 damage"}, Case{1, "Club 5-8 damage"}, Case{2, "Dagger 10-15 damage"},
          Case{3, "Bow 17-22 damage"}, Case{4, "Staff 25-31 damage"},
          Case{5, "Long Sword 33-40 damage"}, Case{6, "Axe 42-53 damage"},
          Case{7, "Mace 60-75 damage"}, Case{8, "Broad Sword 80-100 damage"},
          Case{9, "Battle Axe of Might 110-130 damage"}, Case{-1, "Fists 4 damage"},
          Case{10, "Fists 4 damage"}, Case{100, "Fists 4 damage"}}) {
        TestGame game;
        game.state().weapon = c.code;
        EXPECT_EQ(game.command("stats"), screen({.weapon = c.label})) << "weapon " << c.code;
    }
    for (const Case c :
         {Case{100, "Tunic"}, Case{95, "Leather Armor"}, Case{90, "Studed Leather Armor"},
          Case{83, "Scale Mail"}, Case{76, "Chain Mail"}, Case{60, "Full Plate Mail"},
          Case{40, "Bone Armor of Might"}, Case{50, "Tunic"}, Case{0, "Tunic"},
          Case{-95, "Tunic"}}) {
        TestGame game;
        game.state().armorFactor = c.code;
        EXPECT_EQ(game.command("stats"), screen({.armor = c.label})) << "armour " << c.code;
    }
}

TEST(GoodsPotions, DrinkingRestoresToExactlyOneHundred) {
    struct Case {
        const char* command;
        std::int32_t potions;  // of the kind the command drinks
        std::int32_t value;    // health for "heal", mana for "mana"
        std::string printed;
        std::int32_t potionsAfter;
        std::int32_t valueAfter;
    };
    const std::string healed = "\n\nYou drink a healing potion\n";
    const std::string noHealing = "\n\nYou do not have any healing potions\n";
    const std::string refreshed = "\nYou drink the mana potion\n";
    for (const Case& c : {
             Case{"heal", 2, 5, healed, 1, 100},
             Case{"heal", 0, 5, noHealing, 0, 5},
             Case{"heal", 1, 100, healed, 0, 100},  // spent all the same
             Case{"heal", -1, 5, noHealing, -1, 5},
             Case{"mana", 1, 5, refreshed, 0, 100},
             Case{"mana", 0, 5, "\n\nYou do not have any mana potions\n", 0, 5},
             Case{"mana", 3, 100, refreshed, 2, 100},
         }) {
        SCOPED_TRACE(std::string(c.command) + " with " + std::to_string(c.potions));
        TestGame game;
        GameState& state = game.state();
        const bool heal = std::string(c.command) == "heal";
        std::int32_t& potions = heal ? state.healingPotions : state.manaPotions;
        std::int32_t& value = heal ? state.health : state.mana;
        std::int32_t& other = heal ? state.mana : state.health;
        potions = c.potions;
        value = c.value;
        other = 33;
        EXPECT_EQ(game.command(c.command), c.printed);
        EXPECT_EQ(potions, c.potionsAfter);
        EXPECT_EQ(value, c.valueAfter);
        EXPECT_EQ(other, 33);
        expectNothingDrawn(game);
    }
}

TEST(GoodsPotions, HealingBesideALivingOpponentDoesNotProvokeIt) {
    TestGame game;
    game.command("w");  // the wildebeast of room 8
    game.command("attack");
    game.state().health = 5;
    game.state().healingPotions = 1;
    EXPECT_EQ(game.command("heal"), "\n\nYou drink a healing potion\n");
    EXPECT_EQ(game.state().health, 100);
    EXPECT_EQ(game.state().opponentHealth, 20);
    EXPECT_EQ(game.game().rng.draw(), 18467);  // only the one blow has been drawn
}

TEST(GoodsWater, ThreeSourcesRestoreHealthForFree) {
    const std::string restored = "\nYour health is fully restored\n";
    const std::string notHere = "\n\nYou can not do that here\n";
    for (RoomId room : {9, 20, 57, 1, 2, 15, 22, 56, 67}) {
        SCOPED_TRACE("room " + std::to_string(room));
        const std::string printed = room == 9    ? "\n\nYou take a drink from the spring" + restored
                                    : room == 20 ? "\n\nYou take a drink from the well" + restored
                                    : room == 57
                                        ? "\n\nYou take a drink from the fountain" + restored
                                        : notHere;
        TestGame game;
        GameState& state = game.state();
        state.room = room;
        state.health = 7;
        state.mana = 20;
        state.gold = 10;
        for (int sip = 0; sip < 2; ++sip) {
            EXPECT_EQ(game.command("drink"), printed);
            EXPECT_EQ(state.health, printed == notHere ? 7 : 100);
        }
        EXPECT_EQ(state.mana, 20);
        EXPECT_EQ(state.gold, 10);
        expectNothingDrawn(game);
    }
}

TEST(GoodsImps, TheTrashCansOfRoom22YieldThemOnce) {
    struct Step {
        RoomId room;
        std::string printed;
    };
    TestGame game;
    for (const Step& step : {
             Step{21, "\n\nYou can not do that here"},  // no line break at its end
             Step{22, "\n\nYou discover a handfull of imps who you take to help you fight\n"},
             Step{22, "\n\nThere are no more imps in the trashcan\n"},
             Step{1, "\n\nYou can not do that here"},
         }) {
        const std::int32_t hadImps = game.state().hasImps;
        game.state().room = step.room;
        EXPECT_EQ(game.command("open"), step.printed);
        EXPECT_EQ(game.state().hasImps, step.room == 22 ? 1 : hadImps);  // they stay
    }
    EXPECT_EQ(game.state().hasImps, 1);
    expectNothingDrawn(game);
}

}  // namespace
}  // namespace quellmoor
