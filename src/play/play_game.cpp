#include "play/play_game.hpp"

#include "game/game.hpp"
#include "play/command_loop.hpp"

namespace quellmoor {

bool playGame(std::streambuf& in, std::streambuf& out) {
    Game game(in, out);
    game.console.print("Welcome Quellmoor v1.0\n");
    runGame(game);
    game.console.print(kLastPrompt);
    // The game waits for one last word before the window closes; what it says (or the
    // end of input) does not matter.
    Word<kCommandWordCapacity> lastWord;
    game.console.readWord(lastWord);
    game.console.flush();
    return !game.console.outputFailed();
}

}  // namespace quellmoor
