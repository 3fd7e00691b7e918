#pragma once

#include <streambuf>

#include "game/console.hpp"
#include "game/game_state.hpp"
#include "game/rng.hpp"

namespace quellmoor {

/// One game: its state, its generator and its console. Every command handler takes the
/// game it acts on and nothing else.
struct Game {
    Game(std::streambuf& in, std::streambuf& out) : console(in, out) {}

    GameState state;
    Rng rng;
    Console console;
};

/// Plays one whole game from `in` to `out`: the banner, the command loop, the closing
/// lines and the final read. Returns false if any output could not be written.
bool playGame(std::streambuf& in, std::streambuf& out);

}  // namespace quellmoor
