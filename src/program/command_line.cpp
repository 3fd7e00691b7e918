#include "program/command_line.hpp"

#include <string_view>
#include <utility>

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

}  // namespace

std::optional<CommandLineAnswer> answerCommandLine(int argc, const char* const* argv) {
    if (argc <= 1) {
        return std::nullopt;
    }
    const std::string_view first = argv[1];
    const bool help = first == "--help" || first == "-h";
    const bool version = first == "--version";
    if (argc == 2 && help) {
        return CommandLineAnswer{std::string(kUsage), "", 0};
    }
    if (argc == 2 && version) {
        return CommandLineAnswer{"quellmoor " QUELLMOOR_VERSION "\n", "", 0};
    }
    // The first argument that is wrong: an option is right only alone.
    const std::string_view wrong = help || version ? argv[2] : argv[1];
    std::string error = "quellmoor: unexpected argument: ";
    error.append(wrong).append("\n\n").append(kUsage);
    return CommandLineAnswer{"", std::move(error), 2};
}

const char* whyUnfinished(bool written, bool readFailed) {
    return !written     ? "cannot write to standard output"
           : readFailed ? "cannot read standard input"
                        : nullptr;
}

}  // namespace quellmoor
