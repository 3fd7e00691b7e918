// Quellmoor on POSIX systems: the program (program/program.cpp) over file descriptors,
// with the line editor where a player sits at a terminal.

#include <unistd.h>

#include <cstring>

#include "play/play_game.hpp"
#include "posix/descriptor_io.hpp"
#include "program/program.hpp"
#ifdef QUELLMOOR_HAS_LINE_EDITOR
#include "posix/line_editor.hpp"
#endif

namespace quellmoor {

PlayedGame playOnStandardStreams() {
#ifdef QUELLMOOR_HAS_LINE_EDITOR
    if (terminalCanEditLines()) {
        TerminalOutput output(STDOUT_FILENO);
        LineEditorInput input(output);
        if (playGame(input, output)) {
            output.finish();
        }
        return {output.error(), input.error()};
    }
#endif
    // Pipes, files and plain terminals: the descriptors read and written straight through.
    FileDescriptorInput input(STDIN_FILENO);
    FileDescriptorOutput output(STDOUT_FILENO);
    playGame(input, output);
    return {output.error(), input.error()};
}

SystemError writeAll(StandardStream stream, std::string_view text) {
    FileDescriptorOutput output(stream == StandardStream::kOutput ? STDOUT_FILENO : STDERR_FILENO);
    output.sputn(text.data(), static_cast<std::streamsize>(text.size()));
    return output.error();
}

std::string describe(SystemError error) {
    return std::strerror(static_cast<int>(error));
}

}  // namespace quellmoor

int main(int argc, char** argv) {
    return quellmoor::runProgram(argc, argv);
}
