#include "world/region_maps.hpp"

#include <array>
#include <cstddef>

#include "game/game.hpp"

namespace quellmoor {
namespace {

// The drawings show walls and the player's own position, nothing else. Lines need not
// share a length, and none ends in a space.
constexpr std::string_view kDomainDrawing[] = {
    "=======",  //
    "=     =",  //
    "=== ===",  //
    "=     =",  //
    "=== ===",  //
    "=     =",  //
    "=======",
};

constexpr std::string_view kBrittonDrawing[] = {
    "==================",  //
    "=                =",  //
    "========== == == =",  //
    "   =   === == == =",  //
    "   = ===== == == =",  //
    "   =       ==    =",  //
    "   ===============",
};

constexpr std::string_view kLabyrinthDrawing[] = {
    "  ###",           //
    "  # #",           //
    "  # ###",         //
    "  #   #",         //
    "  # ###",         //
    "  # #",           //
    "### ###  ###",    //
    "#     #  # #",    //
    "###   #### ###",  //
    "  #          #",  //
    "  ### ########",  //
    "    # #",         //
    "    ###",
};

constexpr std::string_view kGuildDrawing[] = {
    "  #####",  //
    "  #   #",  //
    "  # ###",  //
    "  # #",    //
    "### #",    //
    "#   #",    //
    "#####",
};

// A printed map: two line breaks, then every line with its own.
constexpr std::size_t printedSize(std::span<const std::string_view> drawing) {
    std::size_t size = 2;
    for (std::string_view line : drawing) {
        size += line.size() + 1;
    }
    return size;
}

constexpr std::size_t kLongestMap = 256;
static_assert(printedSize(kDomainDrawing) <= kLongestMap);
static_assert(printedSize(kBrittonDrawing) <= kLongestMap);
static_assert(printedSize(kLabyrinthDrawing) <= kLongestMap);
static_assert(printedSize(kGuildDrawing) <= kLongestMap);

struct MarkerRow {
    RoomId room;
    MarkerCell cell;
};

// clang-format off
constexpr MarkerRow kMarkerCells[] = {
    // Lord Tavrin's Domain
    {1, {4, 4}},  {2, {2, 4}},  {3, {2, 6}},  {4, {4, 6}},  {5, {6, 6}},
    {6, {6, 4}},  {7, {6, 2}},  {8, {4, 2}},  {9, {2, 2}},
    // Great Britton
    {10, {2, 2}}, {11, {2, 4}}, {12, {2, 7}}, {13, {2, 11}}, {14, {2, 14}}, {15, {2, 17}},
    {16, {4, 5}}, {17, {4, 7}}, {18, {4, 11}}, {19, {4, 14}}, {20, {4, 17}},
    {21, {6, 5}}, {22, {6, 7}}, {23, {6, 11}}, {24, {6, 14}}, {25, {6, 17}},
    // the Labyrinth
    {51, {2, 4}},  {52, {4, 4}},  {53, {4, 6}},  {54, {6, 4}},  {55, {8, 2}},
    {56, {8, 4}},  {57, {8, 6}},  {58, {8, 11}}, {59, {10, 4}}, {60, {10, 6}},
    {61, {10, 9}}, {62, {10, 11}}, {63, {10, 13}}, {64, {12, 6}},
    // the Mage's Guild
    {65, {2, 4}}, {66, {2, 6}}, {67, {4, 4}}, {68, {6, 2}}, {69, {6, 4}},
};
// clang-format on

}  // namespace

std::span<const std::string_view> regionDrawing(Region region) {
    switch (region) {
        case Region::LordTavrinsDomain:
            return kDomainDrawing;
        case Region::GreatBritton:
            return kBrittonDrawing;
        case Region::Labyrinth:
            return kLabyrinthDrawing;
        case Region::MagesGuild:
            break;
    }
    return kGuildDrawing;
}

std::optional<MarkerCell> markerCell(RoomId room) {
    for (const MarkerRow& row : kMarkerCells) {
        if (row.room == room) {
            return row.cell;
        }
    }
    return std::nullopt;
}

void drawMap(Game& game) {
    const std::optional<Region> region = regionOf(game.state.room);
    const std::optional<MarkerCell> marker = markerCell(game.state.room);
    if (!region || !marker) {
        return;
    }
    // Composed in one buffer and printed in one piece: a map follows every move.
    std::array<char, kLongestMap> text;
    std::size_t length = 0;
    const auto append = [&](std::string_view piece) {
        piece.copy(text.data() + length, piece.size());
        length += piece.size();
    };
    append("\n\n");
    int lineNumber = 1;
    for (std::string_view line : regionDrawing(*region)) {
        const std::size_t lineStart = length;
        append(line);
        if (lineNumber++ == marker->line) {
            text[lineStart + static_cast<std::size_t>(marker->column - 1)] = '*';
        }
        append("\n");
    }
    game.console.print(std::string_view(text.data(), length));
}

}  // namespace quellmoor
