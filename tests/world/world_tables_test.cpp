#include <gtest/gtest.h>

#include <functional>
#include <queue>
#include <set>
#include <string>
#include <vector>

#include "world/expected_world.hpp"
#include "world/world_consistency.hpp"

namespace quellmoor::testing {
namespace {

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

// Among the checks: every exit leads to a room of the same region, whose reverse exit leads
// back.
TEST(WorldTables, AreConsistent) {
    const std::vector<std::string> problems = worldProblems(gameWorld());
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

TEST(WorldTables, HoldTheRoomsAndRolesOfTheRoomTable) {
    const WorldTables world = gameWorld();
    EXPECT_EQ(world.rooms, allRooms());
    using Rooms = std::vector<RoomId>;
    EXPECT_EQ(
        std::set<RoomId>(world.roles.at("opponent").begin(), world.roles.at("opponent").end()),
        (std::set<RoomId>{4, 5, 8, 12, 16, 18, 25, 53, 55, 58, 64}));
    EXPECT_EQ(world.roles.at("pedestal"), (Rooms{1, 17, 59}));
    EXPECT_EQ(world.roles.at("shop"), (Rooms{3, 7, 15, 19, 51, 63, 66, 68}));
    // Where the other room-bound commands are answered rather than refused.
    EXPECT_EQ(roomsWhereAccepted("attack", "\nYou cannot do that here\n\n"),
              (Rooms{4, 5, 8, 12, 16, 18, 25, 53, 55, 58, 64}));
    EXPECT_EQ(roomsWhereAccepted("teleport", "\n\nYou cannot do that here\n"), (Rooms{1, 17, 59}));
    EXPECT_EQ(roomsWhereAccepted("drink", "\n\nYou can not do that here\n"), (Rooms{9, 20, 57}));
    EXPECT_EQ(roomsWhereAccepted("open", "\n\nYou can not do that here"), (Rooms{22}));
    EXPECT_EQ(roomsWhereAccepted("talk", "\n\nYou can not do that here\n"), (Rooms{24}));
    EXPECT_EQ(roomsWhereAccepted("climb", "\n\nYou can not do that here\n"), (Rooms{57, 67}));
}

TEST(WorldTables, TheCheckerFindsEachKindOfFault) {
    static const std::string_view kBadDrawing[] = {"=== ", "=x="};
    const auto markerOf5 = [](MarkerCell cell) {
        return [cell](WorldTables& w) {
            w.marker = [cell, m = w.marker](RoomId r) { return r == 5 ? cell : m(r); };
        };
    };
    const auto exitOf = [](RoomId room, Direction way, RoomId to) {
        return [=](WorldTables& w) {
            w.exit = [=, e = w.exit](RoomId r, Direction d) {
                return r == room && d == way ? to : e(r, d);
            };
        };
    };
    const std::vector<std::pair<std::function<void(WorldTables&)>, std::string>> cases = {
        {[](WorldTables& w) { w.rooms.push_back(30); }, "room 30: lies in no region"},
        {markerOf5({1, 1}), "room 5: has its marker cell on a wall"},
        {markerOf5({8, 2}), "room 5: has no marker cell inside"},
        {markerOf5({4, 4}), "room 5: shares its marker cell"},
        {[](WorldTables& w) {
             w.description = [d = w.description](RoomId r) { return r == 6 ? "" : d(r); };
         },
         "room 6: has no description"},
        {exitOf(8, Direction::East, 2), "room 8: has an exit to 2 without its way back"},
        {exitOf(3, Direction::West, 0), "room 2: has an exit to 3 without its way back"},
        {exitOf(59, Direction::East, 0), "room 59: describes a way east but has no exit"},
        {[](WorldTables& w) { w.drawing = [](Region) { return std::span(kBadDrawing); }; },
         "drawing line \"=== \""},
        {[](WorldTables& w) { w.drawing = [](Region) { return std::span(kBadDrawing); }; },
         "drawing line \"=x=\""},
        {[](WorldTables& w) { w.roles["pedestal"].push_back(40); }, "room 40: holds a pedestal"},
        {[](WorldTables& w) { w.roles["shop"].push_back(7); }, "room 7: holds more than one shop"},
    };
    for (const auto& [breakWorld, expected] : cases) {
        WorldTables world = gameWorld();
        breakWorld(world);
        const std::string problems = joined(worldProblems(world));
        EXPECT_NE(problems.find(expected), std::string::npos) << expected << "\n" << problems;
    }
}

// Walks, teleports and climbs from room 1 by the player's own commands.
TEST(WorldTables, EveryRoomIsReachableFromTheStart) {
    std::set<RoomId> reached = {1};
    std::queue<RoomId> frontier({1});
    while (!frontier.empty()) {
        const RoomId from = frontier.front();
        frontier.pop();
        for (const auto& [word, input] :
             std::vector<std::pair<std::string, std::string>>{{"n", ""},
                                                              {"e", ""},
                                                              {"s", ""},
                                                              {"w", ""},
                                                              {"climb", ""},
                                                              {"teleport", "1"},
                                                              {"teleport", "2"}}) {
            TestGame game(input);
            game.state().room = from;
            game.command(word);
            if (reached.insert(game.state().room).second) {
                frontier.push(game.state().room);
            }
        }
    }
    const std::vector<RoomId> all = allRooms();
    EXPECT_EQ(reached, std::set<RoomId>(all.begin(), all.end()));
}

}  // namespace
}  // namespace quellmoor::testing
