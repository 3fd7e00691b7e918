// Quellmoor for Windows: the program (program/program.cpp) over the standard handles,
// with the console set for the game where they are a console.

#include <string>

#include "play/play_game.hpp"
#include "program/program.hpp"
#include "windows/console_session.hpp"
#include "windows/handle_io.hpp"

namespace quellmoor {

PlayedGame playOnStandardStreams() {
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const ConsoleSession console(in, out);
    HandleInput input(in);  // pipes, files and consoles alike, no byte changed
    HandleOutput output(out);
    playGame(input, output);
    return {output.error(), input.error()};
}

SystemError writeAll(StandardStream stream, std::string_view text) {
    HandleOutput output(
        GetStdHandle(stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE));
    output.sputn(text.data(), static_cast<std::streamsize>(text.size()));
    return output.error();
}

// Windows's words end with a line end, which the program's message has its own of.
std::string describe(SystemError error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string words = length > 0 ? std::string(text, length) : "error " + std::to_string(error);
    LocalFree(text);
    words.erase(words.find_last_not_of("\r\n ") + 1);
    return words;
}

}  // namespace quellmoor

int main(int argc, char** argv) {
    return quellmoor::runProgram(argc, argv);
}
