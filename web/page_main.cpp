// Quellmoor in the browser: one game on the page's console, each time the page asks.

#include <emscripten.h>

#include <string>

#include "page_streams.hpp"
#include "play/command_loop.hpp"
#include "play/play_game.hpp"

/// Plays one whole game, from the banner to the last word, on fresh streams and a fresh
/// game. Suspends whenever the game waits for the player; the page awaits the promise that
/// ccall(..., {async: true}) returns, which settles when the game is over. Returns 1, or 0
/// if output could not be written.
extern "C" EMSCRIPTEN_KEEPALIVE int quellmoor_play() {
    quellmoor::web::PageInput input;
    quellmoor::web::PageOutput output;
    return quellmoor::playGame(input, output) ? 1 : 0;
}

/// The words the page completes with Tab, one space between them, in the command table's
/// order: the table is their only list, and the hidden gold word is not among them.
extern "C" EMSCRIPTEN_KEEPALIVE const char* quellmoor_command_words() {
    static const std::string words = [] {
        std::string joined;
        for (const std::string_view word : quellmoor::listedCommandWords()) {
            joined.append(joined.empty() ? "" : " ").append(word);
        }
        return joined;
    }();
    return words.c_str();
}
