// What a kill pays: the bounty roll of each room, paying again after a refused move or
// a fresh entry, and the demon's kill that wins the game instead.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "combat/bounty.hpp"
#include "combat/combat_texts.hpp"
#include "support/test_game.hpp"

namespace quellmoor {
namespace {

using namespace quellmoor::testing;

/// A game in `room` with an opponent that one blow of the fists (4) kills.
void faceTheDying(TestGame& game, RoomId room, std::int32_t gold = 0) {
    game.state().room = room;
    game.state().opponentHealth = 4;
    game.state().gold = gold;
}

TEST(CombatBounty, EveryOpponentRoomPaysFromItsFloorToFloorPlusSpreadLessOne) {
    struct Case {
        RoomId room;
        int spread;
        int floor;
    };
    for (const Case c : {Case{8, 4, 3}, Case{4, 7, 4}, Case{5, 10, 4}, Case{12, 15, 3},
                         Case{25, 18, 8}, Case{18, 25, 11}, Case{16, 35, 26}, Case{55, 50, 16},
                         Case{53, 65, 21}, Case{58, 90, 36}}) {
        for (const int remainder : {0, c.spread - 1}) {
            SCOPED_TRACE("room " + std::to_string(c.room) + ", remainder " +
                         std::to_string(remainder));
            TestGame game;
            faceTheDying(game, c.room, 100);
            Rng reference;
            while (reference.draw() % c.spread != remainder) {
                game.game().rng.draw();
            }
            const int bounty = c.floor + remainder;
            EXPECT_EQ(game.command("attack"), strikeLine(4) + kKilled + payout(bounty));
            EXPECT_EQ(game.state().bounty, bounty);
            EXPECT_EQ(game.state().gold, 100 + bounty);
            EXPECT_EQ(game.state().opponentSlain, 1);
            EXPECT_EQ(game.game().rng.draw(), reference.draw());  // one draw, the bounty
        }
    }
}

TEST(CombatBounty, TheDemonsKillShowsTheVictoryScreenAndDrawsNothingMore) {
    // Fists draw nothing; the club's strike is the first draw, 41 % 4 + 5 = 6.
    for (const std::int32_t weapon : {0, 1}) {
        SCOPED_TRACE("weapon " + std::to_string(weapon));
        TestGame game;
        faceTheDying(game, 64, 123);
        game.state().weapon = weapon;
        game.state().bounty = 9;
        EXPECT_EQ(game.command("attack"),
                  strikeLine(weapon == 0 ? 4 : 6) + kKilled + kVictoryScreen);
        EXPECT_EQ(game.state().gameOver, 1);
        EXPECT_EQ(game.state().opponentSlain, 1);
        EXPECT_EQ(game.state().gold, 123);
        EXPECT_EQ(game.state().bounty, 9);
        Rng reference;
        if (weapon == 1) {
            reference.draw();
        }
        EXPECT_EQ(game.game().rng.draw(), reference.draw());
    }
}

TEST(CombatBounty, ARefusedMoveAfterAKillLetsTheDeadOpponentBePaidAgain) {
    TestGame game;
    game.command("e");  // room 1 to the griffin of room 4
    ASSERT_EQ(game.state().opponentHealth, 47);
    game.state().opponentHealth = 4;
    Rng reference;
    const int first = reference.draw() % 7 + 4;
    EXPECT_EQ(game.command("attack"), strikeLine(4) + kKilled + payout(first));
    EXPECT_EQ(game.command("n").rfind("\n\nYou cannot do that here\n", 0), 0u);
    EXPECT_EQ(game.state().room, 4);
    const int second = reference.draw() % 7 + 4;
    EXPECT_EQ(game.command("attack"), strikeLine(4) + kKilled + payout(second));
    EXPECT_EQ(game.state().opponentHealth, -4);
    EXPECT_EQ(game.command("attack"), kAlreadyKilled);
    EXPECT_EQ(game.state().gold, first + second);
}

TEST(CombatBounty, KillingLeavingAndReturningPaysAgainWithAFreshRoll) {
    TestGame game;
    game.state().weapon = 9;  // one strike of 110 or more fells the griffin's 47
    Rng reference;
    int gold = 0;
    for (int visit = 0; visit < 2; ++visit) {
        game.command("e");
        ASSERT_EQ(game.state().room, 4);
        EXPECT_EQ(game.state().opponentHealth, 47);
        const int strike = reference.draw() % 21 + 110;
        const int bounty = reference.draw() % 7 + 4;
        gold += bounty;
        EXPECT_EQ(game.command("attack"), strikeLine(strike) + kKilled + payout(bounty));
        EXPECT_EQ(game.state().gold, gold);
        game.command("w");
    }
}

TEST(CombatBounty, GoldHasNoCapBelowTheInt32Limit) {
    // The first bounty of the game in room 8 is 41 % 4 + 3 = 4.
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    for (const std::int32_t before : {50'000, kMax - 4, kMax - 1}) {
        TestGame game;
        faceTheDying(game, 8, before);
        EXPECT_EQ(game.command("attack"), strikeLine(4) + kKilled + payout(4));
        EXPECT_EQ(game.state().gold, before == 50'000 ? 50'004 : kMax);
    }
}

TEST(CombatBounty, NoOpponentHereMeansNothingToPay) {
    TestGame game;
    game.state().room = 1;
    EXPECT_EQ(game.run(awardBounty), "");
    EXPECT_EQ(game.state().gold, 0);
    Rng reference;
    EXPECT_EQ(game.game().rng.draw(), reference.draw());
}

}  // namespace
}  // namespace quellmoor
