#pragma once

#include <histedit.h>

#include <streambuf>
#include <string>
#include <string_view>

#include "posix/key_decoder.hpp"
#include "posix/tab_completion.hpp"
#include "posix/terminal_output.hpp"
#include "posix/terminal_signals.hpp"

namespace quellmoor {

/// Whether standard input and output are a terminal that TERM names and the system knows
/// (not "dumb"): then the line editor serves; elsewhere the game reads plainly.
bool terminalCanEditLines();

/// Standard input a line at a time through libedit: editing, history, Tab completion, and
/// Ctrl-D on an empty line as the end of input, which stays. The line comes back as the
/// bytes typed, as through a pipe, bar the keys that edit it (KeyDecoder). The terminal is
/// left as found, type-ahead kept. REQUIRES: terminalCanEditLines().
class LineEditorInput : public std::streambuf {
  public:
    explicit LineEditorInput(TerminalOutput& screen);
    ~LineEditorInput() override;
    LineEditorInput(const LineEditorInput&) = delete;
    LineEditorInput& operator=(const LineEditorInput&) = delete;

    SystemError error() const { return error_; }  // errno of the read that failed, or 0

  protected:
    int_type underflow() override;
    std::streamsize showmanyc() override;

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
    std::string line_;
    bool ended_ = false;
    SystemError error_ = 0;
};

}  // namespace quellmoor
