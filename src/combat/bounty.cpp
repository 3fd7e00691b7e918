#include "combat/bounty.hpp"

#include "game/game.hpp"
#include "game/saturating.hpp"
#include "world/opponents.hpp"

namespace quellmoor {
namespace {

void showVictoryScreen(Console& console) {
    console.print("\n\n\nYOU WIN!!!!!\nThank you for playing our game!\n\n");
    console.print("\n\nPassword = Vormel\n\n");
    console.print("\n\nSend this password via email to:\n");
    console.print("\n\nquellmoor@example.com\n\n");
    console.print("\n\nTell us what you think and ask for the 'Special Cheat'");
    console.print("\n\nThanks again for playing Quellmoor");
}

}  // namespace

void awardBounty(Game& game) {
    GameState& state = game.state;
    const Encounter* encounter = encounterIn(state.room);
    if (encounter == nullptr) {
        return;
    }
    if (encounter->winsGame) {
        showVictoryScreen(game.console);
        state.gameOver = 1;
    } else {
        state.bounty = game.rng.roll(encounter->bountySpread, encounter->bountyFloor);
    }
    // The roll comes before this test, so the demon's kill pays nothing.
    if (state.gameOver == 1) {
        return;
    }
    state.gold = saturatingAdd(state.gold, state.bounty);
    game.console.print("\n\nYou have received, ");
    game.console.print(state.bounty);
    game.console.print(" gold\n");
}

}  // namespace quellmoor
