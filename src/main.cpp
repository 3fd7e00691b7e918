// Quellmoor: one game on standard input and standard output.

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "game/game.hpp"
#include "game/posix_streams.hpp"

int main() {
    quellmoor::FileDescriptorInput input(STDIN_FILENO);
    quellmoor::FileDescriptorOutput output(STDOUT_FILENO);
    if (!quellmoor::playGame(input, output)) {
        // The game itself always ends with status 0; a lost screen is not a finished game.
        std::fprintf(stderr, "quellmoor: cannot write to standard output: %s\n",
                     std::strerror(output.error()));
        return 1;
    }
    return 0;
}
