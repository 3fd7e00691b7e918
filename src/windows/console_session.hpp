#pragma once

#include "windows/windows_api.hpp"

namespace quellmoor {

/// The console modes the game reads and writes in. Where standard input is a console, it
/// reads cooked lines: the console's own editing and history (arrows, F7), its echo, and
/// Ctrl-C as an interrupt. Where standard output is one, it acts on control characters,
/// and a line feed starts a new line at the left edge even with escape sequences on (no
/// DISABLE_NEWLINE_AUTO_RETURN): the game's line ends reach the console as the single line
/// feeds a pipe or a file gets, and show as new lines.
DWORD cookedInputMode(DWORD found);
DWORD lineFeedOutputMode(DWORD found);

/// The console the game is played at, set to those modes for one game and left as it was
/// found: when the game ends, and when Ctrl-C, Ctrl-Break or closing the window ends it
/// first. A mode already right is not touched; handles that are no console (pipes, files)
/// are left alone. One session at a time.
class ConsoleSession {
  public:
    ConsoleSession(HANDLE input, HANDLE output);
    ~ConsoleSession();
    ConsoleSession(const ConsoleSession&) = delete;
    ConsoleSession& operator=(const ConsoleSession&) = delete;

    /// Puts back the modes found. Safe to call from the console's control handler thread.
    void restore() const;

  private:
    struct Found {
        HANDLE handle = nullptr;
        DWORD mode = 0;
        bool changed = false;
    };

    static Found setMode(HANDLE handle, DWORD (*wanted)(DWORD found));
    static BOOL WINAPI restoreOnInterrupt(DWORD event);

    Found input_;
    Found output_;
};

}  // namespace quellmoor
