#pragma once

#include <streambuf>

namespace quellmoor {

/// Plays one whole game from `in` to `out`: the banner, the command loop, the closing
/// lines and the final read. Returns false if any output could not be written.
/// Every front end (the terminal, the page, tests, the fuzzer) starts a game here.
bool playGame(std::streambuf& in, std::streambuf& out);

}  // namespace quellmoor
