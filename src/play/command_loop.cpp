#include "play/command_loop.hpp"

#include <algorithm>
#include <array>

#include "combat/attack.hpp"
#include "game/game.hpp"
#include "goods/imps.hpp"
#include "goods/potions.hpp"
#include "goods/shops.hpp"
#include "goods/stats.hpp"
#include "goods/water.hpp"
#include "play/loop_commands.hpp"
#include "world/descriptions.hpp"
#include "world/exits.hpp"
#include "world/region_maps.hpp"
#include "world/teleporter.hpp"

namespace quellmoor {
namespace {

// Clears the screen before every answer, so each one stands at the bottom of the window.
constexpr std::string_view kClearScreen = "\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n";

// A move forgets the kill in the room the player stood in, even a refused move: a dead
// opponent can then be struck and paid once more. Players use this to earn gold, so it stays.
template <Direction direction>
void walk(Game& game) {
    move(game, direction);
    game.state.opponentSlain = 0;
}

struct Command {
    std::string_view word;
    void (*handler)(Game&);
    bool hidden = false;  // never listed or offered to the player
};

// The one place that binds words to commands. Words match whole and case-sensitively;
// the hidden gold word is on no menu and is never offered.
constexpr Command kCommandTable[] = {
    {"n", walk<Direction::North>},
    {"e", walk<Direction::East>},
    {"s", walk<Direction::South>},
    {"w", walk<Direction::West>},
    {"map", drawMap},
    {"quit", quit},
    {"look", describeRoom},
    {"teleport", teleport},
    {"attack", attack},
    {"open", openCans},
    {"drink", drinkWater},
    {"amplify", castAmplify},
    {"weaken", castWeaken},
    {"climb", climb},
    {"stats", showStats},
    {"heal", drinkHealingPotion},
    {"mana", drinkManaPotion},
    {"plumbwagon", grantGold, true},
    {"buy", buy},
    {"talk", talk},
};

constexpr auto kListedWords = [] {
    // Counted by hand: the web build's library has no std::ranges::count.
    constexpr auto listed = std::count_if(std::begin(kCommandTable), std::end(kCommandTable),
                                          [](const Command& command) { return !command.hidden; });
    std::array<std::string_view, listed> words;
    auto next = words.begin();
    for (const Command& command : kCommandTable) {
        if (!command.hidden) {
            *next++ = command.word;
        }
    }
    return words;
}();

const Command* findCommand(const Word<kCommandWordCapacity>& word) {
    for (const Command& command : kCommandTable) {
        if (word.is(command.word)) {
            return &command;
        }
    }
    return nullptr;
}

}  // namespace

std::span<const std::string_view> listedCommandWords() {
    return kListedWords;
}

void dispatchCommand(Game& game) {
    if (const Command* command = findCommand(game.state.commandWord)) {
        command->handler(game);
    } else {
        refuseUnknownWord(game);
    }
}

void runGame(Game& game) {
    GameState& state = game.state;
    game.console.print("\n\nYou have entered the land of Lord Tavrin's Domain\n\n");
    state.room = kStartRoom;
    while (state.playerDead == 0 && state.gameOver == 0) {
        if (!game.console.readWord(state.commandWord)) {
            state.commandWord.assign("quit");  // the input has ended: so has the game
        }
        game.console.print(kClearScreen);
        dispatchCommand(game);
    }
    game.console.print(state.gameOver != 0 ? "\n\nGoodbye\n" : "\n\nYou have died\n");
}

}  // namespace quellmoor
