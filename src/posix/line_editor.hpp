#pragma once

#include <histedit.h>
#include <termios.h>

#include <optional>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "posix/descriptor_io.hpp"
#include "posix/terminal_signals.hpp"

namespace quellmoor {

/// Whether a player sits at a terminal the line editor can drive: standard input and
/// standard output are both terminals, and TERM names one the system knows (not "dumb").
/// Anywhere else (pipes, files, an unknown or dumb terminal) the game reads plainly.
bool terminalCanEditLines();

/// Standard output at a terminal where the line editor reads the player's words.
///
/// Writes as FileDescriptorOutput does, but holds back an unfinished last line (the text
/// after the last line break, as "You can not do that here" leaves it): the editor shows
/// it as the prompt of the next line, so it knows where on the screen the typed word
/// starts. The bytes reach the screen unchanged and in order.
class TerminalOutput : public FileDescriptorOutput {
  public:
    using FileDescriptorOutput::FileDescriptorOutput;

    /// Gives up the held line, for the editor to show as its prompt.
    std::string takeUnfinishedLine();

    /// Writes any line still held; false if it could not be written.
    bool finish();

  protected:
    std::streamsize xsputn(const char* text, std::streamsize size) override;

  private:
    std::string unfinished_;
};

/// Standard input read a line at a time through libedit, for a player at a terminal:
/// editing within the line (arrows, Home/End, Ctrl-A/E/K/U/W, Backspace, Delete, Insert),
/// a history of this game's lines (Up/Down; kept in memory only), and Tab completion of
/// the command words. Ctrl-D on an empty line is the end of input, and stays so.
///
/// Every byte typed reaches the game as through a pipe: the line is decoded for editing
/// by the locale, so that a letter is one character under the cursor, and each byte the
/// locale cannot read is kept as a character of its own (shown as \U+DC80 to \U+DCFF)
/// and handed to the game as the byte it was.
///
/// Reports through in_avail() what is left of the current line, so the console flushes
/// its output before the editor waits for the next one. The terminal is left as it was
/// found, without losing what the player typed ahead: on destruction, and when a signal
/// ends or stops the game (TerminalSignals); after Ctrl-Z and fg, or a new window size,
/// the line being typed is drawn again.
///
/// REQUIRES: terminalCanEditLines().
class LineEditorInput : public std::streambuf {
  public:
    explicit LineEditorInput(TerminalOutput& screen);
    ~LineEditorInput() override;
    LineEditorInput(const LineEditorInput&) = delete;
    LineEditorInput& operator=(const LineEditorInput&) = delete;

    /// The errno of the read that failed, or 0 (also at a plain end of input).
    int error() const { return error_; }

  protected:
    int_type underflow() override;
    std::streamsize showmanyc() override;

  private:
    static const char* prompt(EditLine* editor);
    static int readCharacter(EditLine* editor, wchar_t* character);
    static unsigned char complete(EditLine* editor, int key);
    static unsigned char endOrDelete(EditLine* editor, int key);

    int nextCharacter(wchar_t& character);
    std::optional<wchar_t> takeCharacter(bool inputEnded);
    int readByte(char& byte);
    void answerSignals();
    void remember(std::wstring_view line);
    unsigned char completeWord();
    std::wstring currentLine() const;
    void listChoices(const std::vector<std::string_view>& choices);

    TerminalOutput& screen_;
    termios found_;  // the terminal's settings before the game
    TerminalSignals signals_;
    EditLine* editor_ = nullptr;
    HistoryW* history_;
    std::string prompt_;
    std::string typed_;  // bytes read from the terminal, not yet a whole character
    std::string line_;
    std::optional<std::wstring> lineAtLastTab_;  // as a Tab left it, choices still open
    bool ended_ = false;
    int error_ = 0;
};

}  // namespace quellmoor
