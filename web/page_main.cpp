// Quellmoor in the browser: one game on the page's terminal, each time the page asks.

#include <emscripten.h>

#include "game/game.hpp"
#include "page_streams.hpp"

/// Plays one whole game, from the banner to the last word, on fresh streams and a fresh
/// game. Suspends whenever the game waits for the player; the page awaits the promise that
/// ccall(..., {async: true}) returns, which settles when the game is over. Returns 1, or 0
/// if output could not be written.
extern "C" EMSCRIPTEN_KEEPALIVE int quellmoor_play() {
    quellmoor::web::PageInput input;
    quellmoor::web::PageOutput output;
    return quellmoor::playGame(input, output) ? 1 : 0;
}
