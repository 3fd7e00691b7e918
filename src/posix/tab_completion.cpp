#include "posix/tab_completion.hpp"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "play/completion.hpp"
#include "posix/key_decoder.hpp"

namespace quellmoor {
namespace {

std::wstring wholeLine(EditLine* editor) {
    const LineInfoW* line = el_wline(editor);
    return std::wstring(line->buffer, line->lastchar);
}

void listChoices(EditLine* editor, const std::vector<std::string_view>& choices) {
    FILE* out = nullptr;
    el_get(editor, EL_GETFP, 1, &out);
    int screenWidth = 80;
    el_get(editor, EL_GETTC, "co", &screenWidth, nullptr);
    const auto shorter = [](std::string_view a, std::string_view b) { return a.size() < b.size(); };
    const std::size_t cell = std::max_element(choices.begin(), choices.end(), shorter)->size() + 2;
    const std::size_t perRow =
        std::max<std::size_t>(1, static_cast<std::size_t>(screenWidth) / cell);
    for (std::size_t i = 0; i < choices.size(); ++i) {
        const bool rowEnds = i % perRow == perRow - 1 || i + 1 == choices.size();
        std::fprintf(out, "%s%-*.*s", i % perRow == 0 ? "\n" : "",
                     static_cast<int>(rowEnds ? 0 : cell), static_cast<int>(choices[i].size()),
                     choices[i].data());
    }
    std::fputc('\n', out);
}

}  // namespace

unsigned char TabCompletion::complete(EditLine* editor) {
    const LineInfoW* line = el_wline(editor);
    const std::wstring_view before(line->buffer,
                                   static_cast<std::size_t>(line->cursor - line->buffer));
    const Completion completion =
        completeCommandWord(bytesOf(before.substr(before.find_last_of(kWordSeparators) + 1)));
    if (!completion.added.empty()) {
        el_insertstr(editor, completion.added.c_str());
    } else if (!completion.choices.empty() && wholeLine(editor) == lineAtLastTab_) {
        listChoices(editor, completion.choices);
        return CC_REDISPLAY;
    }
    lineAtLastTab_ = completion.choices.empty() ? std::nullopt : std::optional(wholeLine(editor));
    return completion.added.empty() ? CC_ERROR : CC_REFRESH;  // an error beeps
}

}  // namespace quellmoor
