#pragma once

#include <optional>
#include <string>

namespace quellmoor {

/// What the program prints instead of a game when it is given arguments, and its status.
struct CommandLineAnswer {
    std::string output;  // for standard output: the usage or the version
    std::string error;   // for standard error: a mistake, with the usage
    int status = 0;
};

/// The answer to the program's arguments, shared by every system's entry. Nothing when
/// there are none: a game is then played. `--help` (or `-h`) is answered with the usage
/// and `--version` with the version, status 0; anything else is a mistake, told with the
/// usage, status 2.
std::optional<CommandLineAnswer> answerCommandLine(int argc, const char* const* argv);

/// Why a game that has been played is not a finished one: its screen was lost, or its
/// input could not be read; nullptr when it finished. Every system's entry says it on
/// standard error as "quellmoor: WHY: the system's words" and fails with status 1.
const char* whyUnfinished(bool written, bool readFailed);

}  // namespace quellmoor
