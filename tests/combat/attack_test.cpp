// The attack exchange: strikes by weapon, Amplify Damage, the imps, armour and Weaken,
// the death thresholds, and when an attack draws nothing at all.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "combat/combat_texts.hpp"
#include "play/command_loop.hpp"
#include "support/test_game.hpp"

namespace quellmoor {
namespace {

using namespace quellmoor::testing;

struct Strike {
    int spread;  // 0: no draw
    int floor;
};
// By weapon code; the Battle Axe of Might rolls one draw's remainder by 21, plus 110.
constexpr Strike kStrikes[] = {{0, 4},  {4, 5},   {6, 10},  {6, 17},  {7, 25},
                               {8, 33}, {12, 42}, {16, 60}, {21, 80}, {21, 110}};
constexpr RoomId kOpponentRooms[] = {4, 5, 8, 12, 16, 18, 25, 53, 55, 58, 64};

/// Checks that the game has drawn exactly `count` numbers so far.
void expectDrawn(TestGame& game, int count) {
    Rng reference;
    for (int i = 0; i < count; ++i) {
        reference.draw();
    }
    EXPECT_EQ(game.game().rng.draw(), reference.draw()) << "expected " << count << " draws";
}

/// One attack on the griffin's blows (3 to 19, or to blowSpread + 2) from a state set by hand.
struct Exchange {
    const char* what;
    RoomId room = 4;
    std::int32_t weapon = 0, armor = 100, imps = 0, amplify = 0, weaken = 0, slain = 0;
    int opponent = 1000, health = 100, blowSpread = 17;
    int roll = 0;     // the strike roll the next draw must give (weapons 1 to 9), 0 for any
    int raw = 0;      // the raw blow the draw after it must give, 0 for any
    std::string out;  // what the attack prints
    int drawn = 1;
    std::int32_t amplifyAfter = 0, weakenAfter = 0, dead = 0;
};

/// How many draws to skip so that the next ones give the roll and raw blow wanted.
int drawsToSkip(const Exchange& e) {
    const Strike strike = kStrikes[e.weapon];
    // Every roll a weapon can make turns up within a few thousand draws.
    for (int skip = 0; skip < 10000; ++skip) {
        Rng probe;
        for (int i = 0; i < skip; ++i) {
            probe.draw();
        }
        if ((e.roll == 0 || probe.draw() % strike.spread + strike.floor == e.roll) &&
            (e.raw == 0 || probe.draw() % e.blowSpread + 3 == e.raw)) {
            return skip;
        }
    }
    ADD_FAILURE() << e.what << ": no draw gives that roll";
    return 0;
}

TEST(CombatAttack, OneExchange) {
    // Unsteered, the first draw of the game is 41: a griffin bounty of 41 % 7 + 4 = 10.
    const std::string strike4 = strikeLine(4) + healthLeft(996);
    // clang-format off
    const Exchange exchanges[] = {
        {.what = "club rolling 5, amplified", .weapon = 1, .amplify = 1, .roll = 5, .raw = 3,
         .out = strikeLine(7) + healthLeft(993) + blowLines(3, 97), .drawn = 2},
        {.what = "fists amplified", .amplify = 1, .raw = 3,
         .out = strikeLine(6) + healthLeft(994) + blowLines(3, 97)},
        {.what = "staff rolling 25, amplified", .weapon = 4, .amplify = 1, .roll = 25, .raw = 3,
         .out = strikeLine(37) + healthLeft(963) + blowLines(3, 97), .drawn = 2},
        {.what = "battle axe rolling 130, amplified", .weapon = 9, .amplify = 1, .roll = 130,
         .raw = 3, .out = strikeLine(195) + healthLeft(805) + blowLines(3, 97), .drawn = 2},
        {.what = "imps finish 24", .imps = 1, .opponent = 24,
         .out = strikeLine(4) + kImpsLine + kKilled + payout(10)},
        {.what = "imps leave 1 of 25", .imps = 1, .opponent = 25, .raw = 3,
         .out = strikeLine(4) + kImpsLine + healthLeft(1) + blowLines(3, 97)},
        {.what = "imps not amplified", .imps = 1, .amplify = 1, .opponent = 27, .raw = 3,
         .out = strikeLine(6) + kImpsLine + healthLeft(1) + blowLines(3, 97)},
        // Armour factor (+W: Weaken armed) and raw blow. Each scaling truncates in turn:
        // 4*95/100 = 3, then 3*60/100 = 1; 3*60/100 = 1, then 1*60/100 = 0.
        {.what = "95+W, 4", .armor = 95, .weaken = 1, .raw = 4, .out = strike4 + blowLines(1, 99)},
        {.what = "60+W, 3", .armor = 60, .weaken = 1, .raw = 3, .out = strike4 + blowLines(0, 100)},
        {.what = "95, 4", .armor = 95, .raw = 4, .out = strike4 + blowLines(3, 97)},
        {.what = "40, 19", .armor = 40, .raw = 19, .out = strike4 + blowLines(7, 93)},
        {.what = "83+W", .armor = 83, .weaken = 1, .raw = 19, .out = strike4 + blowLines(9, 91)},
        {.what = "90+W", .armor = 90, .weaken = 1, .raw = 19, .out = strike4 + blowLines(10, 90)},
        // 23*60/100 = 13: the first blow that a cut to 61 percent would make 14 (blows to 23).
        {.what = "100+W, 23", .weaken = 1, .blowSpread = 21, .raw = 23,
         .out = strike4 + blowLines(13, 87)},
        {.what = "76, 19", .armor = 76, .raw = 19, .out = strike4 + blowLines(14, 86)},
        {.what = "50, 19", .armor = 50, .raw = 19, .out = strike4 + blowLines(9, 91)},
        {.what = "opponent to exactly 0", .opponent = 4,
         .out = strikeLine(4) + kKilled + payout(10)},
        {.what = "player to exactly 0", .health = 7, .raw = 7, .out = strike4, .dead = 1},
        {.what = "player to 1", .health = 8, .raw = 7, .out = strike4 + blowLines(7, 1)},
        {.what = "slain opponent", .amplify = 1, .weaken = 1, .slain = 1, .opponent = -4,
         .out = kAlreadyKilled, .drawn = 0, .amplifyAfter = 1, .weakenAfter = 1},
        {.what = "no opponent in room 1", .room = 1, .amplify = 1, .weaken = 1,
         .out = "\nYou cannot do that here\n\n", .drawn = 0,
         .amplifyAfter = 1, .weakenAfter = 1},
        {.what = "weaken outlives a kill", .weaken = 1, .opponent = 4,
         .out = strikeLine(4) + kKilled + payout(10), .weakenAfter = 1},
        {.what = "no blow spread", .blowSpread = 0, .out = strike4, .drawn = 0},
        {.what = "negative blow spread", .blowSpread = -3, .out = strike4, .drawn = 0},
    };
    // clang-format on
    for (const Exchange& e : exchanges) {
        SCOPED_TRACE(e.what);
        TestGame game;
        GameState& state = game.state();
        state.room = e.room;
        state.weapon = e.weapon;
        state.armorFactor = e.armor;
        state.hasImps = e.imps;
        state.amplifyPending = e.amplify;
        state.weakenPending = e.weaken;
        state.opponentSlain = e.slain;
        state.opponentHealth = e.opponent;
        state.health = e.health;
        state.opponentDamageSpread = e.blowSpread;
        state.opponentDamageFloor = 3;
        const int skip = drawsToSkip(e);
        for (int i = 0; i < skip; ++i) {
            game.game().rng.draw();
        }
        EXPECT_EQ(game.command("attack"), e.out);
        EXPECT_EQ(state.amplifyPending, e.amplifyAfter);
        EXPECT_EQ(state.weakenPending, e.weakenAfter);
        EXPECT_EQ(state.playerDead, e.dead);
        expectDrawn(game, skip + e.drawn);
    }
}

TEST(CombatAttack, EachWeaponStrikesItsWholeRangeWithAtMostOneDraw) {
    for (std::int32_t weapon = -1; weapon <= 11; ++weapon) {
        SCOPED_TRACE("weapon " + std::to_string(weapon));
        const Strike strike = weapon >= 0 && weapon <= 9 ? kStrikes[weapon] : kStrikes[0];
        TestGame game;
        GameState& state = game.state();
        state.room = 8;
        state.weapon = weapon;
        state.opponentHealth = 1'000'000;
        state.opponentDamageSpread = 10;
        state.opponentDamageFloor = 6;
        state.health = 1'000'000;
        Rng reference;
        int weakest = 1000;
        int strongest = 0;
        for (int i = 0; i < 400; ++i) {
            const int dealt =
                strike.spread == 0 ? 4 : reference.draw() % strike.spread + strike.floor;
            const int blow = reference.draw() % 10 + 6;  // the wildebeast's, after the strike
            const int opponentBefore = state.opponentHealth;
            const int healthBefore = state.health;
            ASSERT_EQ(game.command("attack").rfind(strikeLine(dealt), 0), 0u);
            ASSERT_EQ(opponentBefore - state.opponentHealth, dealt);
            ASSERT_EQ(healthBefore - state.health, blow);
            weakest = std::min(weakest, dealt);
            strongest = std::max(strongest, dealt);
        }
        EXPECT_EQ(weakest, strike.floor);
        EXPECT_EQ(strongest, strike.spread == 0 ? 4 : strike.floor + strike.spread - 1);
    }
}

TEST(CombatAttack, RefusedOutsideTheElevenOpponentRoomsChangingNothing) {
    TestGame game;
    GameState& state = game.state();
    state.opponentHealth = 24;
    state.opponentDamageSpread = 10;
    state.weapon = 9;
    int refused = 0;
    for (RoomId room = 0; room <= 70; ++room) {
        if (std::count(std::begin(kOpponentRooms), std::end(kOpponentRooms), room) == 0) {
            state.room = room;
            EXPECT_EQ(game.command("attack"), "\nYou cannot do that here\n\n") << "room " << room;
            ++refused;
        }
    }
    EXPECT_EQ(refused, 71 - 11);
    EXPECT_EQ(state.opponentHealth, 24);
    EXPECT_EQ(state.health, 100);
    EXPECT_EQ(state.gold, 0);
    expectDrawn(game, 0);
}

TEST(CombatAttack, TheLoopEndsWithTheDeathLineWhenABlowTakesHealthToExactlyZero) {
    TestGame game("w attack");
    game.state().health = 7;  // the first blow of the game is 41 % 10 + 6 = 7
    runGame(game.game());
    EXPECT_EQ(game.takeOutput(),
              "\n\nYou have entered the land of Lord Tavrin's Domain\n\n" + kClearScreen +
                  "\n\n=======\n=     =\n=== ===\n=*    =\n=== ===\n=     =\n=======\n" +
                  kClearScreen + strikeLine(4) + healthLeft(20) + "\n\nYou have died\n");
    EXPECT_EQ(game.state().health, 0);
}

TEST(CombatAttack, HealthAndOpponentHealthStopAtTheInt32Limits) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    TestGame game;
    GameState& state = game.state();
    state.room = 8;
    state.opponentHealth = kMin + 2;  // a dead opponent struck again and again
    state.opponentDamageSpread = 10;
    state.opponentDamageFloor = 6;
    state.weapon = 9;
    EXPECT_NE(game.command("attack").find(kKilled), std::string::npos);
    EXPECT_EQ(state.opponentHealth, kMin);
    state.opponentHealth = 1000;
    state.opponentSlain = 0;
    state.health = kMin + 3;
    game.command("attack");
    EXPECT_EQ(state.health, kMin);
    EXPECT_EQ(state.playerDead, 1);
}

}  // namespace
}  // namespace quellmoor
