#pragma once

namespace quellmoor {

struct Game;

/// Enters the world in room 1 and plays commands until the player quits, wins or dies.
void runGame(Game& game);

/// Carries out the command in `game.state.commandWord`: one pass of the command table.
void dispatchCommand(Game& game);

}  // namespace quellmoor
