#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support/test_game.hpp"
#include "world/expected_world.hpp"

namespace quellmoor::testing {
namespace {

constexpr int kUntouched = -77;  // opponent fields a move must not write

// Every move from every room: where it leads, what it prints, and what it arms.
TEST(Moves, FollowTheExitsAndArmTheOpponentOfEveryRoomEntered) {
    std::map<RoomId, int> armedEntrances;
    for (const ExpectedExits& row : kExpectedExits) {
        for (std::size_t d = 0; d < 4; ++d) {
            SCOPED_TRACE(std::to_string(row.room) + " " + std::string(kMoveWords[d]));
            TestGame game;
            GameState& state = game.state();
            state.room = row.room;
            state.opponentHealth = state.opponentDamageSpread = state.opponentDamageFloor =
                kUntouched;
            const std::string output = game.command(kMoveWords[d]);
            const RoomId to = row.to[d];
            if (to == 0) {
                EXPECT_EQ(output, "\n\nYou cannot do that here\n" + expectedMap(row.room));
                EXPECT_EQ(state.room, row.room);
            } else {
                EXPECT_EQ(output, expectedMap(to));
                EXPECT_EQ(state.room, to);
            }
            if (const ExpectedOpponent* opponent = expectedOpponentIn(to)) {
                ++armedEntrances[to];
                EXPECT_EQ(state.opponentHealth, opponent->health);
                EXPECT_EQ(state.opponentDamageSpread, opponent->spread);
                EXPECT_EQ(state.opponentDamageFloor, opponent->floor);
            } else {
                EXPECT_EQ(state.opponentHealth, kUntouched);
                EXPECT_EQ(state.opponentDamageSpread, kUntouched);
                EXPECT_EQ(state.opponentDamageFloor, kUntouched);
            }
        }
    }
    // The rooms with two entrances were armed from both.
    for (RoomId room : {12, 16, 18, 25}) {
        EXPECT_EQ(armedEntrances[room], 2) << room;
    }
    EXPECT_EQ(armedEntrances.size(), 11U);
}

TEST(Moves, AnOpponentIsFreshOnEveryEntry) {
    TestGame game;
    GameState& state = game.state();
    game.command("e");
    ASSERT_EQ(state.room, 4);
    state.opponentHealth = -3;  // slain
    state.opponentSlain = 1;
    game.command("n");  // no way north: the griffin stays dead
    EXPECT_EQ(state.opponentHealth, -3);
    game.command("w");
    EXPECT_EQ(state.opponentHealth, -3);  // leaving clears nothing
    game.command("e");
    EXPECT_EQ(state.opponentHealth, 47);
    EXPECT_EQ(state.opponentSlain, 0);
}

}  // namespace
}  // namespace quellmoor::testing
