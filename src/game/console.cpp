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

void Console::printLong(std::string_view text) {
    writePending();
    if (text.size() >= pending_.size()) {
        writeThrough(text);
    } else {
        print(text);
    }
}

void Console::print(std::int32_t number) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    print(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

void Console::writePending() {
    writeThrough(std::string_view(pending_.data(), pendingSize_));
    pendingSize_ = 0;
}

void Console::writeThrough(std::string_view text) {
    const auto size = static_cast<std::streamsize>(text.size());
    if (!outputFailed_ && out_->sputn(text.data(), size) != size) {
        outputFailed_ = true;
    }
}

void Console::flush() {
    writePending();
    if (!outputFailed_ && out_->pubsync() != 0) {
        outputFailed_ = true;
    }
}

}  // namespace quellmoor
