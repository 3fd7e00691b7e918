#pragma once

#include <string>
#include <string_view>

#include "program/stream_buffers.hpp"

namespace quellmoor {

/// The program on every system: answers its arguments (--help, --version; an option is
/// added here once, for both), or plays one game on standard input and output. A game
/// that lost its screen or could not read its input did not finish: the program says why
/// on standard error and returns 1.
int runProgram(int argc, const char* const* argv);

// Each system's own part of the program (posix/main.cpp, windows/main.cpp):

/// The errors of the first failed write and of the failed read of one game (0: none).
struct PlayedGame {
    SystemError writeError = 0;
    SystemError readError = 0;
};
PlayedGame playOnStandardStreams();

enum class StandardStream { kOutput, kError };
SystemError writeAll(StandardStream stream, std::string_view text);  // 0, or the error

std::string describe(SystemError error);  // the system's own words, on one line

}  // namespace quellmoor
