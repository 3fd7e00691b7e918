#pragma once

#include <windows.h>

namespace quellmoor {

/// The console set for one game and left as it was found, when the game ends and when
/// Ctrl-C, Ctrl-Break or closing the window ends it first. Input is read in cooked lines
/// (the console's own editing, history and echo; Ctrl-C an interrupt); output acts on
/// control characters, and a line feed starts a new line at the left edge (no
/// DISABLE_NEWLINE_AUTO_RETURN), so the game's bytes are the ones a pipe or a file gets.
/// Modes already right, and handles that are no console, are left alone. One at a time.
class ConsoleSession {
  public:
    ConsoleSession(HANDLE input, HANDLE output);
    ~ConsoleSession();
    ConsoleSession(const ConsoleSession&) = delete;
    ConsoleSession& operator=(const ConsoleSession&) = delete;

  private:
    struct ModeBefore {
        HANDLE handle = nullptr;
        DWORD mode = 0;
        bool changed = false;  // by the session, so to be put back
    };

    static ModeBefore setMode(HANDLE handle, DWORD on, DWORD off);  // the flags to switch
    static BOOL WINAPI restoreOnInterrupt(DWORD event);
    void restore() const;  // safe on the console's control handler thread

    ModeBefore input_;
    ModeBefore output_;
};

}  // namespace quellmoor
