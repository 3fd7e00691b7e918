// Single commands, in-process, on a game whose output goes nowhere. For profiling a
// command's cost without the pipe and the process around it.

#include <benchmark/benchmark.h>

#include <sstream>
#include <streambuf>
#include <string_view>

#include "game/game.hpp"
#include "play/command_loop.hpp"

namespace quellmoor {
namespace {

class NullOutput : public std::streambuf {
  protected:
    std::streamsize xsputn(const char*, std::streamsize size) override { return size; }
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

// Runs `word` through the command table over and over in `room`. `setUp` puts the state
// back before each run where a command changes it.
template <typename SetUp>
void runCommand(benchmark::State& timer, std::string_view word, RoomId room, SetUp setUp) {
    std::istringstream input;
    NullOutput output;
    Game game(*input.rdbuf(), output);
    game.state.commandWord.assign(word);
    for (auto _ : timer) {
        game.state.room = room;
        setUp(game.state);
        dispatchCommand(game);
        game.console.flush();
    }
}

void nothing(GameState&) {}

void look(benchmark::State& timer) {
    runCommand(timer, "look", 19, nothing);
}
void map(benchmark::State& timer) {
    runCommand(timer, "map", 59, nothing);
}
void walk(benchmark::State& timer) {
    runCommand(timer, "e", 13, nothing);
}
void refusedWalk(benchmark::State& timer) {
    runCommand(timer, "n", 2, nothing);
}
void stats(benchmark::State& timer) {
    runCommand(timer, "stats", 1, nothing);
}
void unknownWord(benchmark::State& timer) {
    runCommand(timer, "xyzzy", 1, nothing);
}
void attack(benchmark::State& timer) {
    runCommand(timer, "attack", 64, [](GameState& state) {
        state.health = 100;
        state.opponentHealth = 1500;
        state.opponentDamageSpread = 65;
        state.opponentDamageFloor = 11;
        state.weapon = kBroadSword;
    });
}

BENCHMARK(look);
BENCHMARK(map);
BENCHMARK(walk);
BENCHMARK(refusedWalk);
BENCHMARK(stats);
BENCHMARK(unknownWord);
BENCHMARK(attack);

}  // namespace
}  // namespace quellmoor
