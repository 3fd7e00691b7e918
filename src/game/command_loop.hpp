#pragma once

#include <string_view>

namespace quellmoor {

struct Game;

/// Enters the world in room 1 and plays commands until the player quits, wins or dies.
void runGame(Game& game);

/// Carries out the command in `game.state.commandWord`: one pass of the command table.
void dispatchCommand(Game& game);

/// True if `word` is bound to a command of its own (everything else is refused).
bool isCommandWord(std::string_view word);

}  // namespace quellmoor
