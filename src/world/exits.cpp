#include "world/exits.hpp"

#include <array>
#include <cstddef>

#include "game/game.hpp"
#include "game/refusals.hpp"
#include "world/opponents.hpp"
#include "world/region_maps.hpp"
#include "world/rooms.hpp"

namespace quellmoor {
namespace {

// A room's four exits, in the order north, east, south, west.
struct ExitRow {
    RoomId room;
    std::array<RoomId, 4> to;
};

// One row per room; 0 where there is no exit. Every exit has its reverse: if a room's
// east exit leads to X, X's west exit leads back.
// clang-format off
constexpr ExitRow kExitTable[] = {
    // room   north east south west
    {1,  {  2,   4,   6,   8}},
    {2,  {  0,   3,   1,   9}},
    {3,  {  0,   0,   0,   2}},
    {4,  {  0,   0,   0,   1}},
    {5,  {  0,   0,   0,   6}},
    {6,  {  1,   5,   0,   7}},
    {7,  {  0,   6,   0,   0}},
    {8,  {  0,   1,   0,   0}},
    {9,  {  0,   2,   0,   0}},
    {10, {  0,  11,   0,   0}},
    {11, {  0,  12,   0,  10}},
    {12, {  0,  13,   0,  11}},
    {13, {  0,  14,  18,  12}},
    {14, {  0,  15,  19,  13}},
    {15, {  0,   0,  20,  14}},
    {16, {  0,  17,  21,   0}},
    {17, {  0,   0,   0,  16}},
    {18, { 13,   0,  23,   0}},
    {19, { 14,   0,  24,   0}},
    {20, { 15,   0,  25,   0}},
    {21, { 16,  22,   0,   0}},
    {22, {  0,  23,   0,  21}},
    {23, { 18,   0,   0,  22}},
    {24, { 19,  25,   0,   0}},
    {25, { 20,   0,   0,  24}},
    {51, {  0,   0,  52,   0}},
    {52, { 51,  53,  54,   0}},
    {53, {  0,   0,   0,  52}},
    {54, { 52,   0,  56,   0}},
    {55, {  0,  56,   0,   0}},
    {56, { 54,  57,  59,  55}},
    {57, {  0,   0,  60,  56}},
    {58, {  0,   0,  62,   0}},
    {59, { 56,  60,   0,   0}},
    {60, { 57,  61,  64,  59}},
    {61, {  0,  62,   0,  60}},
    {62, { 58,  63,   0,  61}},
    {63, {  0,   0,   0,  62}},
    {64, { 60,   0,   0,   0}},
    {65, {  0,  66,  67,   0}},
    {66, {  0,   0,   0,  65}},
    {67, { 65,   0,  69,   0}},
    {68, {  0,  69,   0,   0}},
    {69, { 67,   0,   0,  68}},
};
// clang-format on

}  // namespace

RoomId exitFrom(RoomId room, Direction direction) {
    const ExitRow* row = rowForRoom<ExitRow>(kExitTable, room);
    return row != nullptr ? row->to[static_cast<std::size_t>(direction)] : 0;
}

void move(Game& game, Direction direction) {
    const RoomId destination = exitFrom(game.state.room, direction);
    if (destination == 0) {
        game.console.print(kCannotDoThat);
    } else {
        game.state.room = destination;
        armOpponent(game.state);
    }
    drawMap(game);
}

}  // namespace quellmoor
