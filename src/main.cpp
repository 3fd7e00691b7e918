// Quellmoor: one game on standard input and standard output.

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "game/game.hpp"
#include "terminal/posix_streams.hpp"

namespace {

/// The game itself always ends with status 0; a lost screen or an input that could not
/// be read is not a finished game, so the program says why and fails.
int failure(const char* what, int error) {
    std::fprintf(stderr, "quellmoor: %s: %s\n", what, std::strerror(error));
    return 1;
}

}  // namespace

int main() {
    quellmoor::FileDescriptorInput input(STDIN_FILENO);
    quellmoor::FileDescriptorOutput output(STDOUT_FILENO);
    if (!quellmoor::playGame(input, output)) {
        return failure("cannot write to standard output", output.error());
    }
    if (input.error() != 0) {
        return failure("cannot read standard input", input.error());
    }
    return 0;
}
