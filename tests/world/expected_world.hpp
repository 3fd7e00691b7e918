#pragma once

// The world as it is meant to be, written down here independently of the
// game's own tables: the rooms, their exits, their opponents and the region drawings.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quellmoor::testing {

/// The 44 rooms, in order.
inline std::vector<std::int32_t> allRooms() {
    std::vector<std::int32_t> rooms;
    for (std::int32_t room = 1; room <= 69; ++room) {
        if (room <= 25 || room >= 51) {
            rooms.push_back(room);
        }
    }
    return rooms;
}

/// A room's exits north, east, south, west; 0 where there is none.
struct ExpectedExits {
    std::int32_t room;
    std::array<std::int32_t, 4> to;
};

inline constexpr std::array<std::string_view, 4> kMoveWords = {"n", "e", "s", "w"};

// clang-format off
inline constexpr ExpectedExits kExpectedExits[] = {
    {1, {2, 4, 6, 8}},     {2, {0, 3, 1, 9}},     {3, {0, 0, 0, 2}},     {4, {0, 0, 0, 1}},
    {5, {0, 0, 0, 6}},     {6, {1, 5, 0, 7}},     {7, {0, 6, 0, 0}},     {8, {0, 1, 0, 0}},
    {9, {0, 2, 0, 0}},     {10, {0, 11, 0, 0}},   {11, {0, 12, 0, 10}},  {12, {0, 13, 0, 11}},
    {13, {0, 14, 18, 12}}, {14, {0, 15, 19, 13}}, {15, {0, 0, 20, 14}},  {16, {0, 17, 21, 0}},
    {17, {0, 0, 0, 16}},   {18, {13, 0, 23, 0}},  {19, {14, 0, 24, 0}},  {20, {15, 0, 25, 0}},
    {21, {16, 22, 0, 0}},  {22, {0, 23, 0, 21}},  {23, {18, 0, 0, 22}},  {24, {19, 25, 0, 0}},
    {25, {20, 0, 0, 24}},  {51, {0, 0, 52, 0}},   {52, {51, 53, 54, 0}}, {53, {0, 0, 0, 52}},
    {54, {52, 0, 56, 0}},  {55, {0, 56, 0, 0}},   {56, {54, 57, 59, 55}}, {57, {0, 0, 60, 56}},
    {58, {0, 0, 62, 0}},   {59, {56, 60, 0, 0}},  {60, {57, 61, 64, 59}}, {61, {0, 62, 0, 60}},
    {62, {58, 63, 0, 61}}, {63, {0, 0, 0, 62}},   {64, {60, 0, 0, 0}},   {65, {0, 66, 67, 0}},
    {66, {0, 0, 0, 65}},   {67, {65, 0, 69, 0}},  {68, {0, 69, 0, 0}},   {69, {67, 0, 0, 68}},
};
// clang-format on

/// What entering an opponent's room writes into the game record.
struct ExpectedOpponent {
    std::int32_t room;
    std::int32_t health;
    std::int32_t spread;
    std::int32_t floor;
};

inline constexpr ExpectedOpponent kExpectedOpponents[] = {
    {8, 24, 10, 6},   {4, 47, 17, 3},    {5, 86, 20, 4},     {12, 99, 25, 5},
    {25, 248, 28, 4}, {18, 315, 29, 5},  {16, 424, 32, 9},   {55, 750, 40, 6},
    {53, 900, 46, 5}, {58, 999, 51, 14}, {64, 1500, 65, 11},
};

inline const ExpectedOpponent* expectedOpponentIn(std::int32_t room) {
    for (const ExpectedOpponent& opponent : kExpectedOpponents) {
        if (opponent.room == room) {
            return &opponent;
        }
    }
    return nullptr;
}

// clang-format off
inline const std::vector<std::string> kDomainLines = {
    "=======",
    "=     =",
    "=== ===",
    "=     =",
    "=== ===",
    "=     =",
    "=======",
};
inline const std::vector<std::string> kBrittonLines = {
    "==================",
    "=                =",
    "========== == == =",
    "   =   === == == =",
    "   = ===== == == =",
    "   =       ==    =",
    "   ===============",
};
inline const std::vector<std::string> kLabyrinthLines = {
    "  ###",
    "  # #",
    "  # ###",
    "  #   #",
    "  # ###",
    "  # #",
    "### ###  ###",
    "#     #  # #",
    "###   #### ###",
    "  #          #",
    "  ### ########",
    "    # #",
    "    ###",
};
inline const std::vector<std::string> kGuildLines = {
    "  #####",
    "  #   #",
    "  # ###",
    "  # #",
    "### #",
    "#   #",
    "#####",
};
// clang-format on

struct ExpectedMarker {
    std::int32_t room;
    int line;
    int column;
};

// clang-format off
inline constexpr ExpectedMarker kExpectedMarkers[] = {
    {1, 4, 4}, {2, 2, 4}, {3, 2, 6}, {4, 4, 6}, {5, 6, 6}, {6, 6, 4}, {7, 6, 2}, {8, 4, 2},
    {9, 2, 2},
    {10, 2, 2}, {11, 2, 4}, {12, 2, 7}, {13, 2, 11}, {14, 2, 14}, {15, 2, 17}, {16, 4, 5},
    {17, 4, 7}, {18, 4, 11}, {19, 4, 14}, {20, 4, 17}, {21, 6, 5}, {22, 6, 7}, {23, 6, 11},
    {24, 6, 14}, {25, 6, 17},
    {51, 2, 4}, {52, 4, 4}, {53, 4, 6}, {54, 6, 4}, {55, 8, 2}, {56, 8, 4}, {57, 8, 6},
    {58, 8, 11}, {59, 10, 4}, {60, 10, 6}, {61, 10, 9}, {62, 10, 11}, {63, 10, 13}, {64, 12, 6},
    {65, 2, 4}, {66, 2, 6}, {67, 4, 4}, {68, 6, 2}, {69, 6, 4},
};
// clang-format on

/// The drawing of the region that holds `room`.
inline const std::vector<std::string>& expectedDrawing(std::int32_t room) {
    if (room <= 9) {
        return kDomainLines;
    }
    if (room <= 25) {
        return kBrittonLines;
    }
    return room <= 64 ? kLabyrinthLines : kGuildLines;
}

/// What "map" prints in `room`: two line breaks, then the drawing with its '*'.
inline std::string expectedMap(std::int32_t room) {
    std::vector<std::string> lines = expectedDrawing(room);
    for (const ExpectedMarker& marker : kExpectedMarkers) {
        if (marker.room == room) {
            lines[static_cast<std::size_t>(marker.line - 1)]
                 [static_cast<std::size_t>(marker.column - 1)] = '*';
        }
    }
    std::string map = "\n\n";
    for (const std::string& line : lines) {
        map += line + "\n";
    }
    return map;
}

}  // namespace quellmoor::testing
