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

}  // namespace quellmoor
