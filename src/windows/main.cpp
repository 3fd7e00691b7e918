// Quellmoor for Windows: one game on standard input and standard output, as src/main.cpp
// plays it on POSIX systems, with the same options (src/command_line.cpp) and messages.

#include <string>
#include <string_view>

#include "play/play_game.hpp"
#include "program/command_line.hpp"
#include "windows/console_session.hpp"
#include "windows/handle_io.hpp"
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

/// Writes all of `text` to `handle`; false if it could not.
bool writeAll(HANDLE handle, std::string_view text) {
    while (!text.empty()) {
        DWORD count = 0;
        if (!WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &count, nullptr) ||
            count == 0) {
            return false;
        }
        text.remove_prefix(count);
    }
    return true;
}

/// The exit status of a game that has been played, as on POSIX systems: the game itself
/// always ends with status 0; a lost screen or an input that could not be read is not a
/// finished game, so the program says why on standard error and fails. The message ends
/// with a line feed alone, as everything the game writes.
int verdict(bool written, DWORD writeError, DWORD readError) {
    const char* failure = quellmoor::whyUnfinished(written, readError != 0);
    if (failure == nullptr) {
        return 0;
    }
    writeAll(GetStdHandle(STD_ERROR_HANDLE), std::string("quellmoor: ") + failure + ": " +
                                                 describe(written ? readError : writeError) + "\n");
    return 1;
}

/// Prints the answer to the program's arguments: its status, or 1 (and why) if the
/// answer cannot be written.
int print(const quellmoor::CommandLineAnswer& answer) {
    writeAll(GetStdHandle(STD_ERROR_HANDLE), answer.error);
    if (!writeAll(GetStdHandle(STD_OUTPUT_HANDLE), answer.output)) {
        return verdict(false, GetLastError(), 0);
    }
    return answer.status;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quellmoor;
    if (const auto answer = answerCommandLine(argc, argv)) {
        return print(*answer);
    }
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
