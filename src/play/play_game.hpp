#pragma once

#include <streambuf>
#include <string_view>

namespace quellmoor {

/// What the game says once it is over, before it waits for one last word.
inline constexpr std::string_view kLastPrompt = "\n\nType quit to exit\n";

/// Plays one whole game from `in` to `out`: the banner, the command loop, the closing
/// lines and the final read. Returns false if any output could not be written.
/// Every front end (the terminal, the page, tests, the fuzzer) starts a game here.
bool playGame(std::streambuf& in, std::streambuf& out);

}  // namespace quellmoor
