#include <cstdio>
#include <iostream>

#include "game/game.hpp"

int main() {
    std::ios::sync_with_stdio(false);
    if (!quellmoor::playGame(*std::cin.rdbuf(), *std::cout.rdbuf())) {
        std::perror("quellmoor: cannot write to standard output");
        return 1;
    }
    return 0;
}
