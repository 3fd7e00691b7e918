#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace quellmoor {

/// One word read from the console, held in a fixed buffer of `Capacity` characters
/// including a terminator (so a command word keeps at most 15 characters).
///
/// A longer word is still read whole (it is never split into two reads), but it is
/// kept as "overlong": it compares unequal to every word the game recognises, so the
/// game answers it as an unrecognised word. Memory stays fixed however long it is.
template <std::size_t Capacity>
class Word {
  public:
    static constexpr std::size_t kMaxLength = Capacity - 1;

    /// Forgets the current word; the next `append` starts a new one.
    void clear() {
        length_ = 0;
        overlong_ = false;
    }

    /// Adds one character to the end of the word.
    void append(char c) {
        if (length_ < kMaxLength) {
            text_[length_++] = c;
        } else {
            overlong_ = true;
        }
    }

    /// Replaces the word with `text` (cut to the buffer, marked overlong if cut).
    void assign(std::string_view text) {
        clear();
        for (char c : text) {
            append(c);
        }
    }

    /// The characters kept: the whole word unless it is overlong.
    std::string_view view() const { return {text_.data(), length_}; }
    bool overlong() const { return overlong_; }

    /// Exact, case-sensitive comparison of the whole word.
    bool is(std::string_view expected) const { return !overlong_ && view() == expected; }

  private:
    std::array<char, kMaxLength> text_{};
    std::size_t length_ = 0;
    bool overlong_ = false;
};

}  // namespace quellmoor
