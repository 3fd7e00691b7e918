// Quellmoor: one game on standard input and standard output.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "play/play_game.hpp"
#include "posix/descriptor_io.hpp"
#include "program/command_line.hpp"
#ifdef QUELLMOOR_HAS_LINE_EDITOR
#include "posix/line_editor.hpp"
#endif

namespace {

/// The exit status of a game that has been played. The game itself always ends with
/// status 0; a lost screen or an input that could not be read is not a finished game, so
/// the program says why and fails.
int verdict(bool written, int writeError, int readError) {
    const char* failure = quellmoor::whyUnfinished(written, readError != 0);
    if (failure == nullptr) {
        return 0;
    }
    std::fprintf(stderr, "quellmoor: %s: %s\n", failure,
                 std::strerror(written ? readError : writeError));
    return 1;
}

/// Prints the answer to the program's arguments: its status, or 1 (and why) if the
/// answer cannot be written.
int print(const quellmoor::CommandLineAnswer& answer) {
    std::fputs(answer.error.c_str(), stderr);
    if (std::fputs(answer.output.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        return verdict(false, errno, 0);
    }
    return answer.status;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quellmoor;
    if (const auto answer = answerCommandLine(argc, argv)) {
        return print(*answer);
    }
#ifdef QUELLMOOR_HAS_LINE_EDITOR
    if (terminalCanEditLines()) {
        TerminalOutput output(STDOUT_FILENO);
        LineEditorInput input(output);
        const bool written = playGame(input, output) && output.finish();
        return verdict(written, output.error(), input.error());
    }
#endif
    // Pipes, files and plain terminals: the descriptors read and written straight through.
    FileDescriptorInput input(STDIN_FILENO);
    FileDescriptorOutput output(STDOUT_FILENO);
    const bool written = playGame(input, output);
    return verdict(written, output.error(), input.error());
}
