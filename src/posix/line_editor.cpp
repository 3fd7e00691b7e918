#include "posix/line_editor.hpp"

#include <poll.h>
#include <term.h>
#include <unistd.h>
#ifdef __APPLE__
#include <sys/select.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "posix/key_bindings.hpp"

namespace quellmoor {
namespace {

constexpr int kHistoryLines = 1000;  // for Up and Down: more than a game needs, bounded

// A terminal sends the bytes of a key at once, but a slow link (a connection over a long
// way, a lossy network) may split them. This long apart, an ESC was the Esc key alone. Here
// Esc alone does nothing, so waiting long costs nothing: half a second, as long as shells'
// line editors and terminal multiplexers wait by default.
constexpr int kKeyMilliseconds = 500;

LineEditor& editorOf(EditLine* editor) {
    void* data = nullptr;
    el_get(editor, EL_CLIENTDATA, &data);
    return *static_cast<LineEditor*>(data);
}

// Waits until the terminal or the wake-up pipe (-1: none) can be read, for at most
// `milliseconds` (-1: for as long as it takes). poll(): a game may inherit more descriptors
// than select() takes; but macOS's poll() ignores terminals.
#ifdef __APPLE__
int waitToRead(std::array<pollfd, 2>& waited, int milliseconds) {
    fd_set readable;
    FD_ZERO(&readable);
    for (const pollfd& one : waited) {
        if (one.fd >= 0) {
            FD_SET(one.fd, &readable);
        }
    }
    timeval limit{milliseconds / 1000, milliseconds % 1000 * 1000};
    const int found = select(std::max(waited[0].fd, waited[1].fd) + 1, &readable, nullptr, nullptr,
                             milliseconds < 0 ? nullptr : &limit);
    for (pollfd& one : waited) {
        one.revents = found > 0 && one.fd >= 0 && FD_ISSET(one.fd, &readable) ? POLLIN : 0;
    }
    return found;
}
#else
int waitToRead(std::array<pollfd, 2>& waited, int milliseconds) {
    return poll(waited.data(), waited.size(), milliseconds);
}
#endif

bool typedWithin(int milliseconds) {
    std::array<pollfd, 2> waited{{{STDIN_FILENO, POLLIN, 0}, {-1, POLLIN, 0}}};
    return waitToRead(waited, milliseconds) > 0;
}

// The descriptors the editor needs are free: its wake-up pipe's two (TerminalSignals:
// without it, Ctrl-Z and fg would leave the terminal in line mode under an editor that takes
// it for its own), and one more, for libedit to read the terminal's description while the
// pipe is open (without it, libedit edits in a dumb terminal's settings). Nothing opened
// from here to the editor's own pipe stays open (the terminal's description is read and
// closed), so the same descriptors will be free then. On macOS, select() must be able to
// wait on the pipe.
bool editorsDescriptorsFree() {
    std::array<int, 2> ends{};
    if (pipe(ends.data()) != 0) {
        return false;
    }
    const int description = dup(STDIN_FILENO);
    close(ends[0]);
    close(ends[1]);
    if (description < 0) {
        return false;
    }
    close(description);
#ifdef __APPLE__
    return std::max(ends[0], ends[1]) < FD_SETSIZE;
#else
    return true;
#endif
}

}  // namespace

bool terminalCanEditLines() {
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO) || !editorsDescriptorsFree()) {
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

LineEditor::LineEditor(TerminalOutput& screen)
    : screen_(screen), signals_(STDIN_FILENO), history_(history_winit()) {
    std::setlocale(LC_CTYPE, "");  // letters beyond ASCII edited as the terminal shows them
    editor_ = el_init("quellmoor", stdin, stdout, stderr);
    HistEventW event;
    history_w(history_, &event, H_SETSIZE, kHistoryLines);
    history_w(history_, &event, H_SETUNIQUE, 1);  // a line equal to the one before is not kept

    el_set(editor_, EL_CLIENTDATA, this);
    el_set(editor_, EL_EDITOR, "emacs");
    // Signals are the game's own (TerminalSignals), and so is reading the keys (KeyDecoder).
    el_set(editor_, EL_SIGNAL, 0);
    el_wset(editor_, EL_GETCFN, readCharacter);
    el_set(editor_, EL_PROMPT, prompt);
    el_wset(editor_, EL_HIST, history_w, history_);
    // Named through the wide interface: the narrow one copies the names and never frees them.
    el_wset(editor_, EL_ADDFN, L"quellmoor-complete", L"Complete a command word", complete);
    el_wset(editor_, EL_ADDFN, L"quellmoor-end-or-delete", L"End the input or delete", endOrDelete);
    bindOnlyTheBoundKeys(editor_);

    // Between lines the terminal keeps the player's own settings: libedit's line mode would
    // force echo, line editing and output translation on; told to leave them, it does not.
    el_set(editor_, EL_SETTY, "-x", "icrnl", "inlcr", "igncr", "opost", "onlcr", "onlret", "isig",
           "icanon", "echo", "echoe", "echoctl", "iexten", "noflsh", "echonl", "extproc", "flusho",
           nullptr);
    tcsetattr(STDIN_FILENO, TCSADRAIN, &signals_.settingsBefore());
}

LineEditor::~LineEditor() {
    // libedit's own end would put the terminal back with TCSAFLUSH, losing the type-ahead.
    el_set(editor_, EL_EDITMODE, 0);
    el_end(editor_);
    tcsetattr(STDIN_FILENO, TCSADRAIN, &signals_.settingsBefore());
    history_wend(history_);
}

const char* LineEditor::prompt(EditLine* editor) {
    return editorOf(editor).prompt_.c_str();
}

Transfer LineEditor::read(char* into, std::size_t size) {
    if (unread_.empty()) {
        prompt_ = screen_.takeUnfinishedLine();
        completion_.reset();
        int count = 0;
        const wchar_t* line = el_wgets(editor_, &count);
        if (line == nullptr || count <= 0) {
            return {0, count < 0 ? static_cast<SystemError>(errno) : 0};
        }
        const std::wstring_view typed(line, static_cast<std::size_t>(count));
        remember(typed);
        unread_ = bytesOf(typed);
    }
    const std::size_t given = std::min(size, unread_.size());
    unread_.copy(into, given);
    unread_.erase(0, given);
    return {given, 0};
}

int LineEditor::readCharacter(EditLine* editor, wchar_t* character) {
    return editorOf(editor).nextCharacter(*character);
}

// For libedit: 1 and the next character, 0 at the end of input, -1 on an error (errno).
int LineEditor::nextCharacter(wchar_t& character) {
    while (true) {
        if (const std::optional<wchar_t> next = keys_.next()) {
            character = *next;
            return 1;
        }
        if (keys_.keyUnfinished() && !typedWithin(kKeyMilliseconds)) {
            keys_.pause();
            continue;
        }
        char byte = 0;
        const int got = readByte(byte);
        if (got != 1) {
            keys_.end();  // a character the end cut short: each of its bytes is one
            const std::optional<wchar_t> last = keys_.next();
            character = last.value_or(L'\0');
            return last ? 1 : got;
        }
        keys_.add(byte);
    }
}

// One byte, no more: what follows the line stays for whoever reads the terminal next.
int LineEditor::readByte(char& byte) {
    while (true) {
        std::array<pollfd, 2> waited{{{STDIN_FILENO, POLLIN, 0}, {signals_.wakeUp(), POLLIN, 0}}};
        if (waitToRead(waited, -1) < 0 && errno != EINTR) {  // interrupted: nothing found, wait on
            return -1;
        }
        if (waited[1].revents != 0) {
            redrawAfterSignals();
        }
        if (waited[0].revents == 0) {
            continue;
        }
        // EAGAIN: a descriptor that whoever started the game made non-blocking.
        const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
        if (got >= 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
            return static_cast<int>(got);
        }
    }
}

// Continued, the editor takes the terminal again. Then, as after a resize, the line is
// drawn anew from the start of the cursor's row (libedit's own redrawing starts wherever
// the cursor is, and would draw the line after itself); a wider line, from its last row.
void LineEditor::redrawAfterSignals() {
    const TerminalSignals::Events events = signals_.takeEvents();
    if (events.continued) {
        el_set(editor_, EL_PREP_TERM, 0);
        el_set(editor_, EL_PREP_TERM, 1);
    }
    if (events.resized) {
        el_resize(editor_);
    }
    if (events.continued || events.resized) {
        FILE* out = nullptr;
        el_get(editor_, EL_GETFP, 1, &out);
        std::fputc('\r', out);
        el_wset(editor_, EL_REFRESH);
    }
}

void LineEditor::remember(std::wstring_view line) {
    if (line.find_first_not_of(kWordSeparators) != line.npos) {  // not a blank line
        const std::wstring entry(line.substr(0, line.find_last_not_of(L'\n') + 1));
        HistEventW event;
        history_w(history_, &event, H_ENTER, entry.c_str());
    }
}

// Ctrl-D: the end of input on an empty line, unseen as in line mode (libedit's own shows
// "^D"); elsewhere it deletes under the cursor.
unsigned char LineEditor::endOrDelete(EditLine* editor, int) {
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

unsigned char LineEditor::complete(EditLine* editor, int) {
    return editorOf(editor).completion_.complete(editor);
}

}  // namespace quellmoor
