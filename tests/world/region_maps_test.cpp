#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "support/test_game.hpp"
#include "world/expected_world.hpp"
#include "world/region_maps.hpp"

namespace quellmoor::testing {
namespace {

TEST(RegionMaps, EveryRoomIsDrawnWithOneMarkerInItsCell) {
    for (const ExpectedMarker& marker : kExpectedMarkers) {
        SCOPED_TRACE(marker.room);
        TestGame game;
        game.state().room = marker.room;
        const std::string map = game.command("map");
        EXPECT_EQ(map, expectedMap(marker.room));
        EXPECT_EQ(std::count(map.begin(), map.end(), '*'), 1);
        EXPECT_EQ(std::count(map.begin(), map.end(), '\n'),
                  2 + (marker.room >= 51 && marker.room <= 64 ? 13 : 7));
        EXPECT_EQ(game.command("map"), map);  // drawing changes nothing
        EXPECT_EQ(game.state().room, marker.room);
    }
    // Three printed lines, checked by hand.
    EXPECT_NE(expectedMap(1).find("\n=  *  =\n"), std::string::npos);
    EXPECT_NE(expectedMap(59).find("\n  #*         #\n"), std::string::npos);
    EXPECT_NE(expectedMap(67).find("\n  #*#\n"), std::string::npos);
}

TEST(RegionMaps, NumbersThatAreNoRoomShowNeitherMapNorDescription) {
    for (RoomId number : {0, 26, 50, 70, -1, -60, 1000, INT_MIN, INT_MAX}) {
        TestGame game;
        game.state().room = number;
        EXPECT_EQ(game.command("map"), "") << number;
        EXPECT_EQ(game.command("look"), "") << number;
        EXPECT_FALSE(markerCell(number).has_value()) << number;
    }
}

}  // namespace
}  // namespace quellmoor::testing
