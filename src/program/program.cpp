#include "program/program.hpp"

#include <algorithm>
#include <optional>
#include <span>

namespace quellmoor {
namespace {

constexpr std::string_view kUsage =
    "Usage: quellmoor [--help | --version]\n"
    "\n"
    "Play Quellmoor, a text adventure, on standard input and standard output:\n"
    "type one word and press Enter. The manual page quellmoor(6) and the\n"
    "player's guide tell the rest.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n";

// Not printable ASCII as \xHH, for a terminal would act on it (an escape sequence can
// set its title), and a backslash as \\, so that nothing shown reads two ways.
std::string escaped(std::string_view argument) {
    constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    for (const char c : argument) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = byte >= ' ' && byte <= '~' && c != '\\';
        shown += plain       ? std::string(1, c)
                 : c == '\\' ? "\\\\"
                             : std::string{'\\', 'x', kHex[byte / 16], kHex[byte % 16]};
    }
    return shown;
}

int fail(const char* why, SystemError error) {
    writeAll(StandardStream::kError,
             "quellmoor: " + std::string(why) + ": " + describe(error) + "\n");
    return 1;
}

// The arguments: the options, up to the first "--", and what follows that "--".
struct Arguments {
    std::span<const char* const> options;
    std::span<const char* const> afterOptions;
};

Arguments split(int argc, const char* const* argv) {
    const std::span<const char* const> all(argv + 1,
                                           static_cast<std::size_t>(std::max(argc, 1) - 1));
    const auto isEnd = [](std::string_view argument) { return argument == "--"; };
    const auto end =
        static_cast<std::size_t>(std::find_if(all.begin(), all.end(), isEnd) - all.begin());
    return {all.first(end), all.subspan(std::min(end + 1, all.size()))};
}

// The exit status that answers the arguments, or nothing when a game is to be played (no
// arguments, or -- alone). --help (-h) or --version alone, perhaps ended by --, is answered
// with status 0; anything else is a mistake, told with the usage, status 2.
std::optional<int> answerArguments(int argc, const char* const* argv) {
    const auto [options, afterOptions] = split(argc, argv);
    const std::string_view first = options.empty() ? "" : options.front();
    const bool help = first == "--help" || first == "-h";
    const bool version = first == "--version";
    if (afterOptions.empty() && options.empty()) {
        return std::nullopt;
    }
    if (afterOptions.empty() && options.size() == 1 && (help || version)) {
        const SystemError lost =
            writeAll(StandardStream::kOutput, help ? kUsage : "quellmoor " QUELLMOOR_VERSION "\n");
        return lost != 0 ? fail("cannot write to standard output", lost) : 0;
    }
    // The first argument that is wrong: an option is right only first and alone, and
    // nothing may follow "--".
    const std::size_t rightOnes = help || version ? 1 : 0;
    const std::string_view wrong =
        rightOnes < options.size() ? options[rightOnes] : afterOptions.front();
    writeAll(StandardStream::kError,
             "quellmoor: unexpected argument: " + escaped(wrong) + "\n\n" + std::string(kUsage));
    return 2;
}

}  // namespace

int runProgram(int argc, const char* const* argv) {
    if (const std::optional<int> status = answerArguments(argc, argv)) {
        return *status;
    }
    const PlayedGame game = playOnStandardStreams();
    return game.writeError != 0  ? fail("cannot write to standard output", game.writeError)
           : game.readError != 0 ? fail("cannot read standard input", game.readError)
                                 : 0;
}

}  // namespace quellmoor
