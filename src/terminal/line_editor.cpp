#include "terminal/line_editor.hpp"

#include <term.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

#include "play/command_loop.hpp"

namespace quellmoor {
namespace {

// An unfinished line longer than this is written out at once rather than held for the
// prompt: the game's own end in a few words, and a prompt must fit on the screen.
constexpr std::size_t kLongestHeldLine = 60;

// Lines remembered for Up and Down: more than any game needs, in bounded memory.
constexpr int kHistoryLines = 1000;

// The bytes that separate words, as the console reads them.
constexpr std::string_view kSpaces = " \t\n\v\f\r";

bool isBlank(std::string_view line) {
    return line.find_first_not_of(kSpaces) == line.npos;
}

/// The longest start that all `words` share. REQUIRES: !words.empty().
std::string_view agreedStart(const std::vector<std::string_view>& words) {
    std::string_view agreed = words.front();
    for (std::string_view word : words) {
        const auto differs = std::ranges::mismatch(agreed, word).in1;
        agreed = agreed.substr(0, static_cast<std::size_t>(differs - agreed.begin()));
    }
    return agreed;
}

bool printable(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

termios settingsOf(int terminal) {
    termios settings{};
    tcgetattr(terminal, &settings);
    return settings;
}

LineEditorInput& editorOf(EditLine* editor) {
    void* data = nullptr;
    el_get(editor, EL_CLIENTDATA, &data);
    return *static_cast<LineEditorInput*>(data);
}

}  // namespace

bool terminalCanEditLines() {
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        return false;
    }
    // Asked with a status pointer, the terminal database says nothing on the screen.
    const char* name = std::getenv("TERM");
    int status = 0;
    if (name == nullptr || *name == '\0' || std::string_view(name) == "dumb" ||
        setupterm(name, STDOUT_FILENO, &status) != 0) {
        return false;
    }
    del_curterm(cur_term);
    return true;
}

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
    if (written != length) {
        return written;
    }
    if (hold) {
        unfinished_.append(rest);
    }
    return size;
}

LineEditorInput::LineEditorInput(TerminalOutput& screen)
    : screen_(screen), found_(settingsOf(STDIN_FILENO)), history_(history_init()) {
    // Letters beyond ASCII are edited as the terminal shows them (libedit asks the locale
    // as it starts); the game's words are compared as bytes all the same.
    std::setlocale(LC_CTYPE, "");
    editor_ = el_init("quellmoor", stdin, stdout, stderr);
    HistEvent event;
    history(history_, &event, H_SETSIZE, kHistoryLines);
    history(history_, &event, H_SETUNIQUE, 1);  // a line equal to the one before is not kept

    el_set(editor_, EL_CLIENTDATA, this);
    el_set(editor_, EL_EDITOR, "emacs");
    el_set(editor_, EL_SIGNAL, 1);
    el_set(editor_, EL_PROMPT, prompt);
    el_set(editor_, EL_HIST, history, history_);
    // Named through the wide interface: the narrow one copies the names and never frees them.
    el_wset(editor_, EL_ADDFN, L"quellmoor-complete", L"Complete a command word", complete);
    el_set(editor_, EL_BIND, "^I", "quellmoor-complete", nullptr);
    // As in a shell: Ctrl-W takes the word before the cursor, Ctrl-U all before it.
    el_set(editor_, EL_BIND, "^W", "ed-delete-prev-word", nullptr);
    el_set(editor_, EL_BIND, "^U", "vi-kill-line-prev", nullptr);
    el_wset(editor_, EL_ADDFN, L"quellmoor-end-or-delete", L"End the input or delete", endOrDelete);
    el_set(editor_, EL_BIND, "^D", "quellmoor-end-or-delete", nullptr);

    // Between lines, after a signal and at the end, the terminal keeps the player's own
    // settings. libedit's line mode would force echo, line editing and output translation
    // on; told to leave them, it takes the settings back from the terminal as found.
    el_set(editor_, EL_SETTY, "-x", "icrnl", "inlcr", "igncr", "opost", "onlcr", "onlret", "isig",
           "icanon", "echo", "echoe", "echoctl", "iexten", "noflsh", "echonl", "extproc", "flusho",
           nullptr);
    tcsetattr(STDIN_FILENO, TCSADRAIN, &found_);
}

LineEditorInput::~LineEditorInput() {
    el_end(editor_);  // puts the terminal back as it was found
    history_end(history_);
}

const char* LineEditorInput::prompt(EditLine* editor) {
    return editorOf(editor).prompt_.c_str();
}

LineEditorInput::int_type LineEditorInput::underflow() {
    if (ended_) {
        return traits_type::eof();
    }
    prompt_ = screen_.takeUnfinishedLine();
    lineAtLastTab_.reset();
    int count = 0;
    const char* line = nullptr;
    do {
        errno = 0;
        line = el_gets(editor_, &count);
    } while (line == nullptr && count < 0 && errno == EINTR);
    if (line == nullptr || count <= 0) {
        ended_ = true;
        error_ = count < 0 ? errno : 0;
        return traits_type::eof();
    }
    line_.assign(line, static_cast<std::size_t>(count));
    remember(line_);
    setg(line_.data(), line_.data(), line_.data() + line_.size());
    return traits_type::to_int_type(line_[0]);
}

std::streamsize LineEditorInput::showmanyc() {
    return ended_ ? -1 : 0;  // past the current line, the editor waits for the player
}

void LineEditorInput::remember(const std::string& line) {
    if (isBlank(line)) {
        return;
    }
    const std::string entry = line.substr(0, line.find_last_not_of('\n') + 1);
    HistEvent event;
    history(history_, &event, H_ENTER, entry.c_str());
}

// Ctrl-D: on an empty line the end of input, shown as a terminal in line mode shows it:
// not at all (libedit's own would print "^D"). Elsewhere it deletes under the cursor.
unsigned char LineEditorInput::endOrDelete(EditLine* editor, int) {
    const LineInfo* line = el_line(editor);
    if (line->buffer == line->lastchar) {
        return CC_EOF;
    }
    if (line->cursor == line->lastchar) {
        return CC_ERROR;
    }
    el_cursor(editor, 1);
    el_deletestr(editor, 1);
    return CC_REFRESH;
}

unsigned char LineEditorInput::complete(EditLine* editor, int) {
    return editorOf(editor).completeWord();
}

// Completes the word before the cursor from the command words, as a shell completes a
// command: a single match is completed and followed by a space; several are completed as
// far as they agree, and the next Tab that can add nothing lists them.
unsigned char LineEditorInput::completeWord() {
    const std::string_view before(el_line(editor_)->buffer, el_line(editor_)->cursor);
    const std::string_view prefix = before.substr(before.find_last_of(kSpaces) + 1);
    std::vector<std::string_view> matches;
    std::ranges::copy_if(listedCommandWords(), std::back_inserter(matches),
                         [&](std::string_view word) { return word.starts_with(prefix); });
    if (matches.empty()) {
        return CC_ERROR;
    }
    std::string insert(agreedStart(matches).substr(prefix.size()));
    if (matches.size() == 1) {
        insert += ' ';
    }
    if (!insert.empty()) {
        el_insertstr(editor_, insert.c_str());
    } else if (currentLine() == lineAtLastTab_) {
        listChoices(matches);
        return CC_REDISPLAY;
    }
    if (matches.size() > 1) {
        lineAtLastTab_ = currentLine();
    } else {
        lineAtLastTab_.reset();
    }
    return insert.empty() ? CC_ERROR : CC_REFRESH;  // an error beeps
}

std::string LineEditorInput::currentLine() const {
    const LineInfo* line = el_line(editor_);
    return std::string(line->buffer, line->lastchar);
}

// Lists the choices in columns, below the line; libedit then draws the line anew.
void LineEditorInput::listChoices(const std::vector<std::string_view>& choices) {
    FILE* out = nullptr;
    el_get(editor_, EL_GETFP, 1, &out);
    int screenWidth = 80;
    el_get(editor_, EL_GETTC, "co", &screenWidth, nullptr);
    const std::size_t cell = std::ranges::max(choices, {}, &std::string_view::size).size() + 2;
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

}  // namespace quellmoor
