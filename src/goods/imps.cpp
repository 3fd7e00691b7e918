#include "goods/imps.hpp"

#include "game/game.hpp"
#include "game/refusals.hpp"

namespace quellmoor {
namespace {

constexpr RoomId kTrashCans = 22;

}  // namespace

// The imps stay for the rest of the game: the cans yield them only once.
void openCans(Game& game) {
    if (game.state.room != kTrashCans) {
        game.console.print(kCanNotDoThatUnended);
        return;
    }
    if (game.state.hasImps == 1) {
        game.console.print("\n\nThere are no more imps in the trashcan\n");
        return;
    }
    game.console.print("\n\nYou discover a handfull of imps who you take to help you fight\n");
    game.state.hasImps = 1;
}

}  // namespace quellmoor
