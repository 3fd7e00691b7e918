#include "support/test_game.hpp"

#include <iterator>

#include "play/command_loop.hpp"
#include "play/play_game.hpp"

namespace quellmoor::testing {

TestGame::TestGame(std::string input) : in_(std::move(input)), game_(*in_.rdbuf(), *out_.rdbuf()) {
    game_.state.room = 1;
}

std::string TestGame::takeOutput() {
    game_.console.flush();
    std::string text = out_.str();
    out_.str("");
    return text;
}

std::string TestGame::command(std::string_view word) {
    game_.state.commandWord.assign(word);
    return run(dispatchCommand);
}

std::string TestGame::unreadInput() {
    return std::string(std::istreambuf_iterator<char>(in_), std::istreambuf_iterator<char>());
}

std::string playWholeGame(const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    playGame(*in.rdbuf(), *out.rdbuf());
    return out.str();
}

}  // namespace quellmoor::testing
