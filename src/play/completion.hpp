#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quellmoor {

/// What Tab makes of a word being typed, the same at a terminal and on the page.
struct Completion {
    /// Letters to add after the word: up to where every command word it begins agrees, and
    /// a space as well when it begins only one (the word is then whole). Empty when the
    /// word can grow no further.
    std::string added;
    /// The command words the word begins, in the command table's order, when it begins
    /// more than one: the choices to list once it can grow no further. Empty otherwise.
    std::vector<std::string_view> choices;
};

/// Completes `start`, the letters typed of a word, from the listed command words (never
/// the hidden gold word). A start that begins no command word gets nothing.
Completion completeCommandWord(std::string_view start);

}  // namespace quellmoor
