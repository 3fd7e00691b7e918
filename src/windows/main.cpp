// Quellmoor for Windows: one game on standard input and standard output, as src/main.cpp
// plays it on POSIX systems. Whatever the program learns to do there (its options, its
// messages) it does here too.

#include <string>

#include "play/play_game.hpp"
#include "windows/console_session.hpp"
#include "windows/handle_streams.hpp"
#include "windows/windows_api.hpp"

namespace {

/// The system's own words for a Windows error, without the line end it comes with.
std::string describe(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string words = length > 0 ? std::string(text, length) : "error " + std::to_string(error);
    LocalFree(text);
    while (!words.empty() &&
           (words.back() == '\n' || words.back() == '\r' || words.back() == ' ')) {
        words.pop_back();
    }
    return words;
}

/// The exit status of a game that has been played, as on POSIX systems: the game itself
/// always ends with status 0; a lost screen or an input that could not be read is not a
/// finished game, so the program says why on standard error and fails. The message ends
/// with a line feed alone, as everything the game writes.
int verdict(bool written, DWORD writeError, DWORD readError) {
    const char* failure = !written         ? "cannot write to standard output"
                          : readError != 0 ? "cannot read standard input"
                                           : nullptr;
    if (failure == nullptr) {
        return 0;
    }
    const std::string message = std::string("quellmoor: ") + failure + ": " +
                                describe(written ? readError : writeError) + "\n";
    DWORD count = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), message.data(), static_cast<DWORD>(message.size()),
              &count, nullptr);
    return 1;
}

}  // namespace

int main() {
    using namespace quellmoor;
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const ConsoleSession console(in, out);
    // Pipes, files and console windows alike: the handles read and written straight
    // through, no byte changed.
    HandleInput input(in);
    HandleOutput output(out);
    const bool written = playGame(input, output);
    return verdict(written, output.error(), input.error());
}
