#include "world/teleporter.hpp"

#include "game/game.hpp"
#include "game/refusals.hpp"
#include "world/region_maps.hpp"
#include "world/rooms.hpp"

namespace quellmoor {
namespace {

// A teleport into Great Britton arrives at the town gate (room 10), not at the pedestal
// in room 17; the Mage's Guild has no pedestal and is never offered.
constexpr Pedestal kPedestals[] = {
    {1, "1. Great Britton\n", 10, "2. The Labyrinth\n", 59},
    {17, "1. Lord Tavrin's Domain\n", 1, "2. Labyrinth\n", 59},
    {59, "1. Lord Tavrin's Domain\n", 1, "2. Great Britton\n", 10},
};

// Fifteen line breaks clear the menu before the map; the loop's own run is 25.
constexpr std::string_view kBlankRun = "\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n";

}  // namespace

const Pedestal* pedestalIn(RoomId room) {
    return rowForRoom<Pedestal>(kPedestals, room);
}

// Arrival arms no opponent and leaves `opponentSlain` alone: no arrival room holds one.
void teleport(Game& game) {
    const Pedestal* pedestal = pedestalIn(game.state.room);
    if (pedestal == nullptr) {
        game.console.print(kCannotDoThat);
        return;
    }
    game.console.print("\n\nWhere would you like to teleport\n");
    game.console.print(pedestal->firstOption);
    game.console.print(pedestal->secondOption);
    game.console.print("3. Do not teleport\n");

    Word<kSelectionWordCapacity>& choice = game.state.teleportChoice;
    if (!game.console.readWord(choice)) {
        choice.assign("3");  // the input has ended: the player stays
    }
    if (choice.is("1")) {
        game.state.room = pedestal->firstDestination;
    } else if (choice.is("2")) {
        game.state.room = pedestal->secondDestination;
    } else if (!choice.is("3")) {
        game.console.print("\n\nThat is not an option\n");
    }
    game.console.print(kBlankRun);
    drawMap(game);
}

}  // namespace quellmoor
