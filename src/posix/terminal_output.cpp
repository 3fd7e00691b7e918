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

// The text's last line, if unfinished, is held with any held before it that the text
// continues, while the whole stays short and plain enough for a prompt. Whatever is written
// now goes after what was held.
std::streamsize TerminalOutput::xsputn(const char* text, std::streamsize size) {
    const std::string_view whole(text, static_cast<std::size_t>(size));
    const std::size_t lineEnd = whole.rfind('\n') + 1;  // 0 if the text has no line break
    const std::string_view rest = whole.substr(lineEnd);
    const std::size_t heldBefore = lineEnd > 0 ? 0 : unfinished_.size();
    const bool hold = heldBefore + rest.size() <= kLongestHeldLine && printable(rest);
    const std::string_view now = hold ? whole.substr(0, lineEnd) : whole;
    if (!now.empty() && !finish()) {
        return 0;
    }
    const auto length = static_cast<std::streamsize>(now.size());
    const std::streamsize written = FileDescriptorOutput::xsputn(now.data(), length);
    if (written < length) {
        return written;  // the screen took no more: nothing of the rest is held
    }
    if (hold) {
        unfinished_.append(rest);
    }
    return size;
}

}  // namespace quellmoor
