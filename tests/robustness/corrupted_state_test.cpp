// No rule of the game puts a weapon code outside 0-9, an armour factor outside its table
// or the player in a number that is no room; but a handler that ever did so (or a stray
// write) must not turn the game's text into garbage or read past a table. These tests
// set such values and run every command word on them: the answers are what the rules
// give for "any other value" (the fists label, "Tunic", nothing at all for no room), and
// under the sanitizer build they prove that no table is read out of bounds and no sum
// overflows.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "support/test_game.hpp"
#include "world/opponents.hpp"

namespace quellmoor {
namespace {

using testing::TestGame;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

constexpr std::string_view kEveryWord[] = {
    "n",        "e",      "s",    "w",          "map",     "quit",   "look",
    "teleport", "attack", "open", "drink",      "amplify", "weaken", "climb",
    "stats",    "heal",   "mana", "plumbwagon", "buy",     "talk",   "xyzzy",
};

// Numbers that name no room: before the game begins, the gap between the town and the
// Labyrinth, past the Guild, negative and huge.
constexpr std::int32_t kNoRooms[] = {0, -1, 26, 50, 70, 71, 100, -51, 1000000, kMin, kMax};
constexpr std::int32_t kNoWeapons[] = {-1, 10, 11, 255, -2147483647, kMin, kMax};
constexpr std::int32_t kNoArmour[] = {0, -1, 41, 50, 99, 101, kMin, kMax};

// Words a menu would take, should one open by mistake.
constexpr std::string_view kMenuWords = "1 2 3 6 x";

const std::string kCanNotDoThat = "\n\nYou can not do that here\n";
const std::string kFistsStrike = "\n\nYou have just delt 4 points of damage\n";

std::string statsWith(std::string_view weapon, std::string_view armour) {
    return "\n\nHealth: 100/100\nMana: 0/100\nWeapon: " + std::string(weapon) +
           "\nArmor: " + std::string(armour) + "\nGold: 0\nHealing Potions: 0\nMana Potions: 0\n";
}

/// What each command says in a room that is no room, to a player who owns nothing.
std::string answerAwayFromEverything(std::string_view word) {
    if (word == "n" || word == "e" || word == "s" || word == "w") {
        return "\n\nYou cannot do that here\n";  // and no map: there is no region to draw
    }
    if (word == "teleport") {
        return "\n\nYou cannot do that here\n";
    }
    if (word == "attack") {
        return "\nYou cannot do that here\n\n";
    }
    if (word == "open") {
        return "\n\nYou can not do that here";
    }
    if (word == "amplify" || word == "weaken") {
        return "\n\nYou do not have that spell\n";
    }
    if (word == "stats") {
        return statsWith("Fists 4 damage", "Tunic");
    }
    if (word == "heal") {
        return "\n\nYou do not have any healing potions\n";
    }
    if (word == "mana") {
        return "\n\nYou do not have any mana potions\n";
    }
    if (word == "map" || word == "look" || word == "quit" || word == "plumbwagon") {
        return "";
    }
    return kCanNotDoThat;  // drink, climb, buy, talk and any unknown word
}

TEST(CorruptedState, RoomThatIsNoRoomGetsNoMapNoDescriptionAndEveryRefusal) {
    for (const std::int32_t room : kNoRooms) {
        for (const std::string_view word : kEveryWord) {
            SCOPED_TRACE("room " + std::to_string(room) + ", word " + std::string(word));
            TestGame game{std::string(kMenuWords)};
            game.state().room = room;
            EXPECT_EQ(game.command(word), answerAwayFromEverything(word));
            EXPECT_EQ(game.state().room, room) << "no command leads out of a room that is no room";
            EXPECT_EQ(game.unreadInput(), kMenuWords) << "no menu opened";
        }
    }
}

TEST(CorruptedState, WeaponCodeThatIsNoWeaponShowsAndStrikesAsFists) {
    for (const std::int32_t weapon : kNoWeapons) {
        SCOPED_TRACE("weapon " + std::to_string(weapon));
        TestGame game;
        game.state().weapon = weapon;
        EXPECT_EQ(game.command("stats"), statsWith("Fists 4 damage", "Tunic"));

        // Into the wildebeast's room (west of room 1): fists strike for exactly 4.
        game.command("w");
        const std::string strike = game.command("attack");
        EXPECT_TRUE(strike.starts_with(kFistsStrike + "Your opponent has 20 health left\n\n"))
            << strike;
        for (const std::string_view word : kEveryWord) {
            game.command(word);
        }
    }
}

TEST(CorruptedState, ArmourFactorOutsideTheTableShowsAsTunic) {
    for (const std::int32_t armour : kNoArmour) {
        SCOPED_TRACE("armour factor " + std::to_string(armour));
        TestGame game;
        game.state().armorFactor = armour;
        EXPECT_EQ(game.command("stats"), statsWith("Fists 4 damage", "Tunic"));

        // A blow through such armour may hurt oddly, but it must be computed without
        // overflow and reported as a plain number.
        game.command("w");
        const std::string blow = game.command("attack");
        EXPECT_TRUE(blow.starts_with(kFistsStrike)) << blow;
        for (const std::string_view word : kEveryWord) {
            game.command(word);
        }
    }
}

TEST(CorruptedState, NumbersAtTheLimitsOfTheirRangeNeverOverflow) {
    // Gold, health, mana, potions and the opponent at both ends of 32 bits, in every
    // opponent's room and in shops: a fight first, before any step can leave the room,
    // then every command, twice over.
    std::vector<std::int32_t> rooms = {7, 3, 66, 68, 1};
    for (const Encounter& encounter : encounterTable()) {
        rooms.push_back(encounter.room);
    }
    for (const std::int32_t extreme : {kMin, kMin + 1, -1, kMax - 1, kMax}) {
        for (const std::int32_t room : rooms) {
            SCOPED_TRACE("value " + std::to_string(extreme) + " in room " + std::to_string(room));
            TestGame game{"1 1 1 1 1 1 1 1 1 1 1 1"};
            GameState& state = game.state();
            state.room = room;
            state.gold = extreme;
            state.health = extreme;
            state.mana = extreme;
            state.healingPotions = extreme;
            state.manaPotions = extreme;
            state.hasAmplify = 1;
            state.hasWeaken = 1;
            state.amplifyPending = 1;
            state.weakenPending = 1;
            state.hasImps = 1;
            state.opponentHealth = extreme;
            state.opponentDamageSpread = 10;
            state.opponentDamageFloor = extreme;
            state.bounty = extreme;
            state.damageDealt = extreme;
            state.damageTaken = extreme;
            const bool fought = game.command("attack").starts_with("\n\nYou have just delt");
            EXPECT_EQ(fought, encounterIn(room) != nullptr);
            for (int round = 0; round < 2; ++round) {
                for (const std::string_view word : kEveryWord) {
                    if (word != "quit") {
                        game.command(word);
                    }
                }
            }
        }
    }
}

TEST(CorruptedState, OpponentWithoutABlowNeverDividesByZero) {
    // A live opponent whose blow spread is zero or negative: no rule arms one, and a roll
    // by it would divide by zero.
    for (const std::int32_t spread : {0, -1, -10, kMin}) {
        SCOPED_TRACE("blow spread " + std::to_string(spread));
        TestGame game;
        game.command("w");  // the wildebeast
        game.state().opponentDamageSpread = spread;
        const std::string answer = game.command("attack");
        EXPECT_TRUE(answer.starts_with(kFistsStrike)) << answer;
    }
}

}  // namespace
}  // namespace quellmoor
