#pragma once

// A consistency checker for the world's tables: rooms, regions, drawings, marker cells,
// descriptions, exits and the rooms that hold an opponent, a pedestal or a shop.
// `gameWorld()` gathers the game's own tables; tests may break a copy to see the checker
// object.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "goods/catalogues.hpp"
#include "support/test_game.hpp"
#include "world/descriptions.hpp"
#include "world/exits.hpp"
#include "world/opponents.hpp"
#include "world/region_maps.hpp"
#include "world/rooms.hpp"
#include "world/teleporter.hpp"

namespace quellmoor::testing {

struct WorldTables {
    std::vector<RoomId> rooms;
    std::function<std::optional<Region>(RoomId)> region;
    std::function<std::span<const std::string_view>(Region)> drawing;
    std::function<std::optional<MarkerCell>(RoomId)> marker;
    std::function<std::string_view(RoomId)> description;
    std::function<RoomId(RoomId, Direction)> exit;
    /// Each role ("opponent", "pedestal", "shop") with the rooms that hold it.
    std::map<std::string, std::vector<RoomId>> roles;
};

/// Room numbers to probe for behaviour: every room, its neighbours and far-off numbers.
inline std::vector<RoomId> probedNumbers() {
    std::vector<RoomId> numbers = {INT_MIN, -70, INT_MAX, 1000};
    for (RoomId n = -2; n <= 100; ++n) {
        numbers.push_back(n);
    }
    return numbers;
}

/// The numbers where `word` is not answered with `refusal`.
inline std::vector<RoomId> roomsWhereAccepted(std::string_view word, std::string_view refusal) {
    std::vector<RoomId> found;
    for (RoomId number : probedNumbers()) {
        TestGame game;
        game.state().room = number;
        game.state().opponentSlain = 1;  // an opponent room then answers without a blow
        if (game.command(word) != refusal) {
            found.push_back(number);
        }
    }
    return found;
}

inline WorldTables gameWorld() {
    WorldTables world{{}, regionOf, regionDrawing, markerCell, descriptionOf, exitFrom, {}};
    for (RoomId number : probedNumbers()) {
        if (regionOf(number)) {
            world.rooms.push_back(number);
        }
        if (pedestalIn(number) != nullptr) {
            world.roles["pedestal"].push_back(number);
        }
    }
    for (const Encounter& encounter : encounterTable()) {
        world.roles["opponent"].push_back(encounter.room);
    }
    for (const Shop& shop : shopTable()) {
        world.roles["shop"].push_back(shop.room);
    }
    std::sort(world.roles["shop"].begin(), world.roles["shop"].end());
    return world;
}

/// Everything wrong with `world`, one line per fault; empty if it is consistent.
inline std::vector<std::string> worldProblems(const WorldTables& world) {
    std::vector<std::string> problems;
    const auto fault = [&](RoomId room, const std::string& what) {
        problems.push_back("room " + std::to_string(room) + ": " + what);
    };
    const std::set<RoomId> rooms(world.rooms.begin(), world.rooms.end());
    std::set<std::tuple<Region, int, int>> usedCells;
    std::set<Region> regions;
    for (RoomId room : world.rooms) {
        const std::optional<Region> region = world.region(room);
        if (!region) {
            fault(room, "lies in no region");
            continue;
        }
        regions.insert(*region);
        const std::string_view text = world.description(room);
        if (!text.starts_with("\n\n") || !text.ends_with("\n") || text.size() < 4) {
            fault(room, "has no description of its own");
        }
        // A direction a description points to ("To the north and east you see") is an exit.
        static const std::regex pointing(
            "To the ((north|east|south|west)( and (north|east|"
            "south|west))*) you");
        const std::string prose(text);
        for (std::sregex_iterator it(prose.begin(), prose.end(), pointing), end; it != end; ++it) {
            for (std::size_t d = 0; d < 4; ++d) {
                const char* names[] = {"north", "east", "south", "west"};
                if ((*it)[1].str().find(names[d]) != std::string::npos &&
                    world.exit(room, static_cast<Direction>(d)) == 0) {
                    fault(room, std::string("describes a way ") + names[d] + " but has no exit");
                }
            }
        }
        const std::optional<MarkerCell> cell = world.marker(room);
        const auto drawing = world.drawing(*region);
        if (!cell || cell->line < 1 || static_cast<std::size_t>(cell->line) > drawing.size() ||
            cell->column < 1 ||
            static_cast<std::size_t>(cell->column) > drawing[std::size_t(cell->line - 1)].size()) {
            fault(room, "has no marker cell inside its drawing");
        } else if (drawing[std::size_t(cell->line - 1)][std::size_t(cell->column - 1)] != ' ') {
            fault(room, "has its marker cell on a wall");
        } else if (!usedCells.insert({*region, cell->line, cell->column}).second) {
            fault(room, "shares its marker cell with another room");
        }
        for (std::size_t d = 0; d < 4; ++d) {
            const RoomId to = world.exit(room, static_cast<Direction>(d));
            if (to != 0 && (!rooms.contains(to) || world.region(to) != region ||
                            world.exit(to, static_cast<Direction>((d + 2) % 4)) != room)) {
                fault(room, "has an exit to " + std::to_string(to) + " without its way back");
            }
        }
    }
    for (Region region : regions) {
        const char wall =
            region == Region::LordTavrinsDomain || region == Region::GreatBritton ? '=' : '#';
        for (std::string_view line : world.drawing(region)) {
            if (line.empty() || line.back() == ' ' ||
                line.find_first_not_of(std::string{wall, ' '}) != std::string_view::npos) {
                problems.push_back("drawing line \"" + std::string(line) +
                                   "\" holds more than walls and spaces, or ends in a space");
            }
        }
    }
    for (const auto& [role, holders] : world.roles) {
        std::set<RoomId> seen;
        for (RoomId room : holders) {
            if (!rooms.contains(room)) {
                fault(room, "holds a " + role + " but is no room");
            }
            if (!seen.insert(room).second) {
                fault(room, "holds more than one " + role);
            }
        }
    }
    return problems;
}

}  // namespace quellmoor::testing
