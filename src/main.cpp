// Quellmoor: one game on standard input and standard output.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "play/play_game.hpp"
#include "terminal/posix_streams.hpp"
#ifdef QUELLMOOR_HAS_LINE_EDITOR
#include "terminal/line_editor.hpp"
#endif

namespace {

/// The exit status of a game that has been played. The game itself always ends with
/// status 0; a lost screen or an input that could not be read is not a finished game, so
/// the program says why and fails.
int verdict(bool written, int writeError, int readError) {
    const char* failure = !written         ? "cannot write to standard output"
                          : readError != 0 ? "cannot read standard input"
                                           : nullptr;
    if (failure == nullptr) {
        return 0;
    }
    std::fprintf(stderr, "quellmoor: %s: %s\n", failure,
                 std::strerror(written ? readError : writeError));
    return 1;
}

constexpr const char* kUsage =
    "Usage: quellmoor [--help | --version]\n"
    "\n"
    "Play Quellmoor, a text adventure, on standard input and standard output:\n"
    "type one word and press Enter. The manual page quellmoor(6) and the\n"
    "player's guide tell the rest.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n";

/// Prints `text` on standard output: status 0, or 1 (and why) if it cannot be written.
int answer(const char* text) {
    if (std::fputs(text, stdout) < 0 || std::fflush(stdout) != 0) {
        return verdict(false, errno, 0);
    }
    return 0;
}

/// The program given arguments: help and the version, on standard output; anything else
/// is a mistake, told on standard error with the usage, and no game starts.
int answerArguments(int argc, char** argv) {
    const std::string_view first = argv[1];
    const bool help = first == "--help" || first == "-h";
    const bool version = first == "--version";
    if (argc == 2 && help) {
        return answer(kUsage);
    }
    if (argc == 2 && version) {
        return answer("quellmoor " QUELLMOOR_VERSION "\n");
    }
    std::fprintf(stderr, "quellmoor: unexpected argument: %s\n\n%s",
                 help || version ? argv[2] : argv[1], kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        return answerArguments(argc, argv);
    }
    using namespace quellmoor;
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
