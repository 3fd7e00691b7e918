#pragma once

#include <histedit.h>

#include <string>
#include <string_view>

#include "posix/key_decoder.hpp"
#include "posix/tab_completion.hpp"
#include "posix/terminal_output.hpp"
#include "posix/terminal_signals.hpp"

namespace quellmoor {

/// Whether standard input and output are a terminal that TERM names and the system knows
/// (not "dumb"), and the descriptors the editor needs are free: then the line editor serves;
/// elsewhere the game reads plainly.
bool terminalCanEditLines();

/// Standard input at a terminal, for InputBuffer: a line at a time through libedit, with
/// editing, history, Tab completion, and Ctrl-D on an empty line as the end of input. The
/// line comes back as the bytes typed, as through a pipe, bar the keys that edit it
/// (KeyDecoder). The terminal is left as found, type-ahead kept.
/// REQUIRES: terminalCanEditLines().
class LineEditor {
  public:
    explicit LineEditor(TerminalOutput& screen);
    ~LineEditor();
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    Transfer read(char* into, std::size_t size);
    std::streamsize waiting() const { return 0; }  // past its line, the editor waits

  private:
    static const char* prompt(EditLine* editor);
    static int readCharacter(EditLine* editor, wchar_t* character);
    static unsigned char complete(EditLine* editor, int key);
    static unsigned char endOrDelete(EditLine* editor, int key);

    int nextCharacter(wchar_t& character);
    int readByte(char& byte);
    void redrawAfterSignals();
    void remember(std::wstring_view line);

    TerminalOutput& screen_;
    TerminalSignals signals_;
    EditLine* editor_ = nullptr;
    HistoryW* history_;
    KeyDecoder keys_;
    TabCompletion completion_;
    std::string prompt_;
    std::string unread_;  // of the line typed
};

using LineEditorInput = InputBuffer<LineEditor>;

}  // namespace quellmoor
