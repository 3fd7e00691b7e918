#pragma once

#include <span>
#include <string_view>

namespace quellmoor {

struct Game;

/// Enters the world in room 1 and plays commands until the player quits, wins or dies.
void runGame(Game& game);

/// The command words a player may be offered (completed at a terminal, say): every word of
/// the command table but the hidden gold word, in the table's order.
std::span<const std::string_view> listedCommandWords();

/// Carries out the command in `game.state.commandWord`: one pass of the command table.
void dispatchCommand(Game& game);

}  // namespace quellmoor
