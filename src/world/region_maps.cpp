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

constexpr std::span<const std::string_view> drawingOf(Region region) {
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

constexpr std::optional<MarkerCell> findMarkerCell(RoomId room) {
    const MarkerRow* row = rowForRoom<MarkerRow>(kMarkerCells, room);
    return row != nullptr ? std::optional(row->cell) : std::nullopt;
}

// Room for the largest map: the Labyrinth's 13 lines of at most 14 characters, each with
// its line break, after the two line breaks every map starts with.
constexpr std::size_t kLongestMap = 2 + 13 * 15;

struct PrintedMap {
    std::array<char, kLongestMap> text{};
    std::size_t size = 0;

    constexpr void append(std::string_view piece) {
        if (piece.size() > text.size() - size) {
            throw "a region drawing is larger than kLongestMap";
        }
        for (char c : piece) {
            text[size++] = c;
        }
    }
};

// A map as printed: "\n\n", then each line of the drawing with its line break, with a
// '*' in place of the space in the room's marker cell.
constexpr PrintedMap printMap(RoomId room) {
    PrintedMap map;
    const std::optional<Region> region = regionOf(room);
    const std::optional<MarkerCell> marker = findMarkerCell(room);
    if (!region || !marker) {
        return map;  // no room, no map
    }
    map.append("\n\n");
    int lineNumber = 0;
    for (std::string_view line : drawingOf(*region)) {
        const std::size_t lineStart = map.size;
        map.append(line);
        if (++lineNumber == marker->line) {
            const auto column = static_cast<std::size_t>(marker->column);
            if (column < 1 || column > line.size() || line[column - 1] != ' ') {
                throw "a marker cell must fall on a space inside its line";
            }
            map.text[lineStart + column - 1] = '*';
        }
        map.append("\n");
    }
    return map;
}

// Every room's map, composed by the compiler: a map follows every move, so drawing one
// is a single copy. A marker cell off its drawing fails the build.
constexpr auto kPrintedMaps = [] {
    std::array<PrintedMap, kRoomLimit> maps;
    for (RoomId room = 0; room < kRoomLimit; ++room) {
        maps[static_cast<std::size_t>(room)] = printMap(room);
    }
    return maps;
}();

}  // namespace

std::span<const std::string_view> regionDrawing(Region region) {
    return drawingOf(region);
}

std::optional<MarkerCell> markerCell(RoomId room) {
    return findMarkerCell(room);
}

std::string_view printedMap(RoomId room) {
    if (room < 0 || room >= kRoomLimit) {
        return {};
    }
    const PrintedMap& map = kPrintedMaps[static_cast<std::size_t>(room)];
    return {map.text.data(), map.size};
}

void drawMap(Game& game) {
    game.console.print(printedMap(game.state.room));
}

}  // namespace quellmoor
