#pragma once

#include <sstream>
#include <string>
#include <string_view>

#include "game/game.hpp"

namespace quellmoor::testing {

/// A game on in-memory streams, for setting up a state, running one handler and
/// reading what it printed.
class TestGame {
  public:
    /// `input` is what the player will type, for handlers that read (shops, teleporter).
    /// The player stands in room 1, where every game begins (a fresh `GameState` holds
    /// room 0 until the command loop starts).
    explicit TestGame(std::string input = "");

    GameState& state() { return game_.state; }
    Game& game() { return game_; }

    /// Everything printed since the last call.
    std::string takeOutput();

    /// Runs `handler` and returns what it printed.
    template <typename Handler>
    std::string run(Handler handler) {
        takeOutput();
        handler(game_);
        return takeOutput();
    }

    /// Runs `word` through the command table, as the loop does after its blank lines.
    std::string command(std::string_view word);

    /// The input the game has not read yet.
    std::string unreadInput();

  private:
    std::istringstream in_;
    std::ostringstream out_;
    Game game_;
};

/// Plays a whole game, from the banner to the last read, on `input`; returns its output.
std::string playWholeGame(const std::string& input);

/// The loop's screen-clearing run of 25 line breaks.
inline const std::string kClearScreen(25, '\n');

}  // namespace quellmoor::testing
