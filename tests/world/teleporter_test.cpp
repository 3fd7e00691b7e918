#include <gtest/gtest.h>

#include <string>

#include "support/test_game.hpp"
#include "world/expected_world.hpp"

namespace quellmoor::testing {
namespace {

const std::string kBlankRun(15, '\n');

std::string menuAt(RoomId pedestal) {
    const std::string options = pedestal == 1    ? "1. Great Britton\n2. The Labyrinth\n"
                                : pedestal == 17 ? "1. Lord Tavrin's Domain\n2. Labyrinth\n"
                                                 : "1. Lord Tavrin's Domain\n2. Great Britton\n";
    return "\n\nWhere would you like to teleport\n" + options + "3. Do not teleport\n";
}

TEST(Teleport, TakesThePlayerWhereTheChoiceSaysAndChangesNothingElse) {
    struct Case {
        RoomId pedestal;
        std::string choice;
        RoomId arrival;
    };
    const Case cases[] = {
        {1, "1", 10},           {1, "2", 59},  {1, "3", 1},   {17, "1", 1},          {17, "2", 59},
        {17, "3", 17},          {59, "1", 1},  {59, "2", 10}, {59, "3", 59},         {1, "01", 1},
        {1, "1x", 1},           {17, "4", 17}, {59, "0", 59}, {17, "Labyrinth", 17}, {1, "\xff", 1},
        {1, "aaaaaaaaaaa2", 1},  // overlong, read whole: its tail is not a second choice
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.pedestal) + " " + c.choice);
        TestGame game(c.choice + " look");
        GameState& state = game.state();
        state.room = c.pedestal;
        state.opponentSlain = 1;
        state.opponentHealth = -5;
        state.opponentDamageSpread = 29;
        state.opponentDamageFloor = 5;
        const bool known = c.choice.size() == 1 && c.choice[0] >= '1' && c.choice[0] <= '3';
        EXPECT_EQ(game.command("teleport"), menuAt(c.pedestal) +
                                                (known ? "" : "\n\nThat is not an option\n") +
                                                kBlankRun + expectedMap(c.arrival));
        EXPECT_EQ(state.room, c.arrival);
        EXPECT_EQ(game.unreadInput(), " look");
        EXPECT_EQ(state.opponentSlain, 1);
        EXPECT_EQ(state.opponentHealth, -5);
        EXPECT_EQ(state.opponentDamageSpread, 29);
        EXPECT_EQ(state.opponentDamageFloor, 5);
    }
}

TEST(Teleport, EndOfInputAtTheMenuStaysOnThePedestal) {
    for (RoomId pedestal : {1, 17, 59}) {
        TestGame game;
        game.state().room = pedestal;
        game.state().teleportChoice.assign("2");  // an earlier choice is not taken again
        EXPECT_EQ(game.command("teleport"), menuAt(pedestal) + kBlankRun + expectedMap(pedestal));
        EXPECT_EQ(game.state().room, pedestal);
    }
}

TEST(Teleport, IsRefusedAwayFromThePedestalsWithoutReadingAChoice) {
    for (RoomId room : {2, 10, 16, 57, 60, 67, 0}) {
        TestGame game("1 look");
        game.state().room = room;
        EXPECT_EQ(game.command("teleport"), "\n\nYou cannot do that here\n") << room;
        EXPECT_EQ(game.state().room, room);
        EXPECT_EQ(game.unreadInput(), "1 look");
    }
}

}  // namespace
}  // namespace quellmoor::testing
