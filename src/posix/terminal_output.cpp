#include "posix/terminal_output.hpp"

#include <algorithm>
#include <string_view>
#include <utility>

namespace quellmoor {
namespace {

// Longer, an unfinished line is written at once: a prompt must fit on the screen.
constexpr std::size_t kLongestHeldLine = 60;

bool printable(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

}  // namespace

std::string TerminalOutput::takeUnfinishedLine() {
    return std::exchange(unfinished_, {});
}

bool TerminalOutput::finish() {
    const std::string line = takeUnfinishedLine();
    const auto size = static_cast<std::streamsize>(line.size());
    return FileDescriptorOutput::xsputn(line.data(), size) == size;
}

std::streamsize TerminalOutput::xsputn(const char* text, std::streamsize size) {
    const std::string_view whole(text, static_cast<std::size_t>(size));
    const std::size_t lineEnd = whole.rfind('\n') + 1;  // 0 if the text has no line break
    const std::string_view rest = whole.substr(lineEnd);
    if (lineEnd > 0 && !finish()) {
        return 0;  // the line held so far ends within this text: it goes first
    }
    const bool hold = unfinished_.size() + rest.size() <= kLongestHeldLine && printable(rest);
    if (!hold && !finish()) {
        return 0;
    }
    const std::string_view now = hold ? whole.substr(0, lineEnd) : whole;
    const auto length = static_cast<std::streamsize>(now.size());
    const std::streamsize written = FileDescriptorOutput::xsputn(now.data(), length);
    if (written == length && hold) {
        unfinished_.append(rest);
    }
    return written == length ? size : written;
}

}  // namespace quellmoor
