#include "posix/line_editor.hpp"

#include <sys/select.h>
#include <term.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string_view>
#include <utility>
#include <vector>

#include "play/completion.hpp"

namespace quellmoor {
namespace {

// An unfinished line longer than this is written out at once rather than held for the
// prompt: the game's own end in a few words, and a prompt must fit on the screen.
constexpr std::size_t kLongestHeldLine = 60;

// Lines remembered for Up and Down: more than any game needs, in bounded memory.
constexpr int kHistoryLines = 1000;

// The bytes that separate words, as the console reads them.
constexpr std::wstring_view kSpaces = L" \t\n\v\f\r";

// A byte the locale cannot read is edited as the character kOwnByte + the byte: a lone
// surrogate, which no locale decodes to and libedit shows as \U+DCxx, as some other
// programs keep such bytes. Handed to the game, it is the byte again.
constexpr wchar_t kOwnByte = 0xDC00;

bool isOwnByte(wchar_t c) {
    return c >= kOwnByte && c <= kOwnByte + 0xFF;
}

// Home, End, Delete and Insert as terminals send them, whatever TERM says: libedit binds
// only the forms the terminal's description names (xterm's says ESC OH for Home), yet
// xterm also sends ESC [H and, with its vt220 keyboard, ESC [1~; screen, tmux and the
// Linux console send ESC [1~ and rxvt ESC [7~; vt100 names no Delete key at all. Insert
// switches between inserting and overwriting.
constexpr std::pair<const char*, const char*> kEditingKeys[] = {
    {"\\e[1~", "ed-move-to-beg"},      {"\\e[7~", "ed-move-to-beg"},
    {"\\e[H", "ed-move-to-beg"},       {"\\eOH", "ed-move-to-beg"},
    {"\\e[4~", "ed-move-to-end"},      {"\\e[8~", "ed-move-to-end"},
    {"\\e[F", "ed-move-to-end"},       {"\\eOF", "ed-move-to-end"},
    {"\\e[3~", "ed-delete-next-char"}, {"\\e[2~", "em-toggle-overwrite"},
};

bool isBlank(std::wstring_view line) {
    return line.find_first_not_of(kSpaces) == line.npos;
}

/// The bytes of a line as the player typed them: each character in the locale's
/// encoding, each byte of its own as itself.
std::string bytesOf(std::wstring_view line) {
    std::string bytes;
    std::mbstate_t state{};
    char encoded[MB_LEN_MAX];
    for (const wchar_t c : line) {
        if (isOwnByte(c)) {
            bytes += static_cast<char>(c - kOwnByte);
            continue;
        }
        const std::size_t size = std::wcrtomb(encoded, c, &state);
        if (size != static_cast<std::size_t>(-1)) {
            bytes.append(encoded, size);
        }
    }
    return bytes;
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
    : screen_(screen),
      found_(settingsOf(STDIN_FILENO)),
      signals_(STDIN_FILENO, found_),
      history_(history_winit()) {
    // Letters beyond ASCII are edited as the terminal shows them (libedit asks the locale
    // as it starts); the game's words are compared as bytes all the same.
    std::setlocale(LC_CTYPE, "");
    editor_ = el_init("quellmoor", stdin, stdout, stderr);
    HistEventW event;
    history_w(history_, &event, H_SETSIZE, kHistoryLines);
    history_w(history_, &event, H_SETUNIQUE, 1);  // a line equal to the one before is not kept

    el_set(editor_, EL_CLIENTDATA, this);
    el_set(editor_, EL_EDITOR, "emacs");
    // Signals are the game's own (TerminalSignals), and so is reading the keys: libedit
    // would drop the bytes its locale cannot read.
    el_set(editor_, EL_SIGNAL, 0);
    el_wset(editor_, EL_GETCFN, readCharacter);
    el_set(editor_, EL_PROMPT, prompt);
    el_wset(editor_, EL_HIST, history_w, history_);
    // Named through the wide interface: the narrow one copies the names and never frees them.
    el_wset(editor_, EL_ADDFN, L"quellmoor-complete", L"Complete a command word", complete);
    el_set(editor_, EL_BIND, "^I", "quellmoor-complete", nullptr);
    // As in a shell: Ctrl-W takes the word before the cursor, Ctrl-U all before it.
    el_set(editor_, EL_BIND, "^W", "ed-delete-prev-word", nullptr);
    el_set(editor_, EL_BIND, "^U", "vi-kill-line-prev", nullptr);
    el_wset(editor_, EL_ADDFN, L"quellmoor-end-or-delete", L"End the input or delete", endOrDelete);
    el_set(editor_, EL_BIND, "^D", "quellmoor-end-or-delete", nullptr);
    for (const auto& [keys, function] : kEditingKeys) {
        el_set(editor_, EL_BIND, keys, function, nullptr);
    }

    // Between lines, after a signal and at the end, the terminal keeps the player's own
    // settings. libedit's line mode would force echo, line editing and output translation
    // on; told to leave them, it takes the settings back from the terminal as found.
    el_set(editor_, EL_SETTY, "-x", "icrnl", "inlcr", "igncr", "opost", "onlcr", "onlret", "isig",
           "icanon", "echo", "echoe", "echoctl", "iexten", "noflsh", "echonl", "extproc", "flusho",
           nullptr);
    tcsetattr(STDIN_FILENO, TCSADRAIN, &found_);
}

LineEditorInput::~LineEditorInput() {
    // libedit's own end puts the terminal back with TCSAFLUSH, throwing away what the
    // player typed ahead of the game's end. Told it no longer edits, it leaves the
    // terminal alone, and the settings found are put back here, keeping every byte.
    el_set(editor_, EL_EDITMODE, 0);
    el_end(editor_);
    tcsetattr(STDIN_FILENO, TCSADRAIN, &found_);
    history_wend(history_);
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
    const wchar_t* line = el_wgets(editor_, &count);
    if (line == nullptr || count <= 0) {
        ended_ = true;
        error_ = count < 0 ? errno : 0;
        return traits_type::eof();
    }
    const std::wstring_view typed(line, static_cast<std::size_t>(count));
    remember(typed);
    line_ = bytesOf(typed);
    setg(line_.data(), line_.data(), line_.data() + line_.size());
    return traits_type::to_int_type(line_[0]);
}

std::streamsize LineEditorInput::showmanyc() {
    return ended_ ? -1 : 0;  // past the current line, the editor waits for the player
}

int LineEditorInput::readCharacter(EditLine* editor, wchar_t* character) {
    return editorOf(editor).nextCharacter(*character);
}

// The next character typed, for libedit: 1, or 0 at the end of input, or -1 when the
// terminal cannot be read (errno says why).
int LineEditorInput::nextCharacter(wchar_t& character) {
    while (true) {
        if (const std::optional<wchar_t> next = takeCharacter(false)) {
            character = *next;
            return 1;
        }
        char byte = 0;
        const int got = readByte(byte);
        if (got == 1) {
            typed_ += byte;
        } else if (const std::optional<wchar_t> last = takeCharacter(true)) {
            character = *last;  // the end came within a character: its bytes are their own
            return 1;
        } else {
            return got;
        }
    }
}

// Takes the first character from the bytes typed: a letter of the locale, or a byte of
// its own where the locale cannot read one. Nothing while the bytes may still become a
// letter, unless the input has ended.
std::optional<wchar_t> LineEditorInput::takeCharacter(bool inputEnded) {
    if (typed_.empty()) {
        return std::nullopt;
    }
    std::mbstate_t state{};
    wchar_t decoded = 0;
    std::size_t used = std::mbrtowc(&decoded, typed_.data(), typed_.size(), &state);
    constexpr auto kIncomplete = static_cast<std::size_t>(-2);
    constexpr auto kInvalid = static_cast<std::size_t>(-1);
    if (used == kIncomplete && !inputEnded) {
        return std::nullopt;
    }
    if (used == kIncomplete || used == kInvalid) {
        decoded = static_cast<wchar_t>(kOwnByte + static_cast<unsigned char>(typed_[0]));
        used = 1;
    }
    typed_.erase(0, std::max<std::size_t>(used, 1));  // 0: the byte 0 was read
    return decoded;
}

// Reads one byte from the terminal, no more: what follows the line stays for whoever
// reads next. While it waits, it answers the signals the reading loop must answer.
int LineEditorInput::readByte(char& byte) {
    const int wakeUp = signals_.wakeUp();
    while (true) {
        fd_set waited;
        FD_ZERO(&waited);
        FD_SET(STDIN_FILENO, &waited);
        if (wakeUp >= 0) {
            FD_SET(wakeUp, &waited);
        }
        // select(), not poll(): poll() does not serve terminals everywhere (macOS).
        if (select(std::max(STDIN_FILENO, wakeUp) + 1, &waited, nullptr, nullptr, nullptr) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (wakeUp >= 0 && FD_ISSET(wakeUp, &waited)) {
            answerSignals();
        }
        if (!FD_ISSET(STDIN_FILENO, &waited)) {
            continue;
        }
        // 1, 0 at the end, or -1 (errno says why). EAGAIN: a descriptor set non-blocking by
        // whoever started the game, which select() found readable a moment ago.
        const ssize_t got = read(STDIN_FILENO, &byte, 1);
        if (got >= 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
            return static_cast<int>(got);
        }
    }
}

// Stopped and continued, the terminal was put back as found: the editor takes it again
// from the settings it has now. Then, as after a new window size, the line is drawn anew
// from the start of the row the cursor is on (libedit's own redrawing starts wherever the
// cursor is, and would draw the line after itself). A line wider than the window is
// drawn from its last row.
void LineEditorInput::answerSignals() {
    const TerminalSignals::News news = signals_.takeNews();
    if (news.continued) {
        el_set(editor_, EL_PREP_TERM, 0);
        el_set(editor_, EL_PREP_TERM, 1);
    }
    if (news.resized) {
        el_resize(editor_);
    }
    if (news.continued || news.resized) {
        FILE* out = nullptr;
        el_get(editor_, EL_GETFP, 1, &out);
        std::fputc('\r', out);
        el_wset(editor_, EL_REFRESH);
    }
}

void LineEditorInput::remember(std::wstring_view line) {
    if (isBlank(line)) {
        return;
    }
    const std::wstring entry(line.substr(0, line.find_last_not_of(L'\n') + 1));
    HistEventW event;
    history_w(history_, &event, H_ENTER, entry.c_str());
}

// Ctrl-D: on an empty line the end of input, shown as a terminal in line mode shows it:
// not at all (libedit's own would print "^D"). Elsewhere it deletes under the cursor.
unsigned char LineEditorInput::endOrDelete(EditLine* editor, int) {
    const LineInfoW* line = el_wline(editor);
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

// Completes the word before the cursor by the game's rule (completeCommandWord), as a
// shell completes a command: the next Tab that can add nothing lists the choices.
unsigned char LineEditorInput::completeWord() {
    const LineInfoW* line = el_wline(editor_);
    const std::wstring_view before(line->buffer,
                                   static_cast<std::size_t>(line->cursor - line->buffer));
    const Completion completion =
        completeCommandWord(bytesOf(before.substr(before.find_last_of(kSpaces) + 1)));
    if (!completion.added.empty()) {
        el_insertstr(editor_, completion.added.c_str());
    } else if (!completion.choices.empty() && currentLine() == lineAtLastTab_) {
        listChoices(completion.choices);
        return CC_REDISPLAY;
    }
    if (completion.choices.empty()) {
        lineAtLastTab_.reset();
    } else {
        lineAtLastTab_ = currentLine();
    }
    return completion.added.empty() ? CC_ERROR : CC_REFRESH;  // an error beeps
}

std::wstring LineEditorInput::currentLine() const {
    const LineInfoW* line = el_wline(editor_);
    return std::wstring(line->buffer, line->lastchar);
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
