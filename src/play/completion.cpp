#include "play/completion.hpp"

#include <algorithm>
#include <iterator>

#include "play/command_loop.hpp"

namespace quellmoor {

// Plain algorithms, not std::ranges: the page's standard library lacks some of those.
Completion completeCommandWord(std::string_view start) {
    Completion completion;
    const auto words = listedCommandWords();
    std::copy_if(words.begin(), words.end(), std::back_inserter(completion.choices),
                 [&](std::string_view word) { return word.starts_with(start); });
    if (completion.choices.empty()) {
        return completion;
    }
    // The longest start every match shares.
    std::string_view agreed = completion.choices.front();
    for (const std::string_view word : completion.choices) {
        const auto differs =
            std::mismatch(agreed.begin(), agreed.end(), word.begin(), word.end()).first;
        agreed = agreed.substr(0, static_cast<std::size_t>(differs - agreed.begin()));
    }
    completion.added = agreed.substr(start.size());
    if (completion.choices.size() == 1) {
        completion.added += ' ';
        completion.choices.clear();
    }
    return completion;
}

}  // namespace quellmoor
