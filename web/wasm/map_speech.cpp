#include "map_speech.hpp"

#include <cstddef>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>

#include "world/region_maps.hpp"
#include "world/rooms.hpp"

namespace quellmoor::web {
namespace {

std::string_view regionName(Region region) {
    switch (region) {
        case Region::LordTavrinsDomain:
            return "Lord Tavrin's Domain";
        case Region::GreatBritton:
            return "Great Britton";
        case Region::Labyrinth:
            return "the Labyrinth";
        case Region::MagesGuild:
            break;
    }
    return "the Mage's Guild";
}

/// A side of a cell in the drawing, as a step to its neighbour.
struct Side {
    int lineStep;
    int columnStep;
    std::string_view name;
};

constexpr Side kSides[] = {
    {-1, 0, "north"},
    {0, 1, "east"},
    {1, 0, "south"},
    {0, -1, "west"},
};

/// True where the drawing has a space at `line`, `column` (from 1): a way between rooms.
/// Past the end of a line, or above or below the drawing, there is nothing to walk on.
bool isOpen(std::span<const std::string_view> drawing, int line, int column) {
    if (line < 1 || static_cast<std::size_t>(line) > drawing.size() || column < 1) {
        return false;
    }
    const std::string_view text = drawing[static_cast<std::size_t>(line - 1)];
    return static_cast<std::size_t>(column) <= text.size() &&
           text[static_cast<std::size_t>(column - 1)] == ' ';
}

/// Where a room stands among the rooms of its region: its row (the rooms drawn on one line
/// of the map), counted from the top, and its place in that row, counted from the left.
struct Place {
    int row = 1;
    int rows = 0;
    int placeInRow = 1;
    int roomsInRow = 0;
};

Place placeOf(Region region, MarkerCell cell) {
    Place place;
    int lastLineCounted = 0;
    // The rooms are walked by marker line, line by line, to count the rows once each.
    for (int line = 1; line <= static_cast<int>(regionDrawing(region).size()); ++line) {
        for (RoomId room = 1; room < kRoomLimit; ++room) {
            const std::optional<MarkerCell> other = markerCell(room);
            if (regionOf(room) != region || !other || other->line != line) {
                continue;
            }
            if (lastLineCounted != line) {
                lastLineCounted = line;
                ++place.rows;
                place.row += line < cell.line ? 1 : 0;
            }
            if (line == cell.line) {
                ++place.roomsInRow;
                place.placeInRow += other->column < cell.column ? 1 : 0;
            }
        }
    }
    return place;
}

/// "north", "north and east", "north, east and south".
std::string spokenList(const std::string_view* names, std::size_t count) {
    std::string list;
    for (std::size_t i = 0; i < count; ++i) {
        list.append(i == 0 ? "" : i + 1 == count ? " and " : ", ").append(names[i]);
    }
    return list;
}

}  // namespace

std::string describeMap(RoomId room) {
    const std::optional<Region> region = regionOf(room);
    const std::optional<MarkerCell> cell = markerCell(room);
    if (!region || !cell) {
        return {};
    }
    const Place place = placeOf(*region, *cell);
    std::string_view open[std::size(kSides)];
    std::size_t openCount = 0;
    for (const Side& side : kSides) {
        if (isOpen(regionDrawing(*region), cell->line + side.lineStep,
                   cell->column + side.columnStep)) {
            open[openCount++] = side.name;
        }
    }
    std::string words = "Map of ";
    words.append(regionName(*region))
        .append(": you are in row ")
        .append(std::to_string(place.row))
        .append(" of ")
        .append(std::to_string(place.rows))
        .append(" from the north, ");
    if (place.roomsInRow == 1) {
        words.append("the only room in it; ");
    } else {
        words.append("room ")
            .append(std::to_string(place.placeInRow))
            .append(" of ")
            .append(std::to_string(place.roomsInRow))
            .append(" from the west; ");
    }
    words.append(openCount == 0 ? "closed on every side"
                                : "open to the " + spokenList(open, openCount));
    return words.append(".");
}

}  // namespace quellmoor::web
