#include "game/console.hpp"

#include <charconv>

namespace quellmoor {

bool Console::skipWhitespace() {
    if (outputFailed_) {
        return false;
    }
    int c = peek();
    while (c != kEnd && isSpace(c)) {
        in_->sbumpc();
        c = peek();
    }
    return c != kEnd;
}

void Console::print(std::string_view text) {
    if (outputFailed_) {
        return;
    }
    const auto size = static_cast<std::streamsize>(text.size());
    if (out_->sputn(text.data(), size) != size) {
        outputFailed_ = true;
    }
}

void Console::print(std::int32_t number) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    print(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

void Console::flush() {
    if (!outputFailed_ && out_->pubsync() != 0) {
        outputFailed_ = true;
    }
}

}  // namespace quellmoor
