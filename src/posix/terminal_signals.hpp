#pragma once

#include <termios.h>

#include <array>
#include <csignal>

namespace quellmoor {

/// The game's own answer to signals while the line editor holds the terminal (libedit's
/// sends them to the whole process group, and takes over ones found ignored, which stay
/// so here). SIGINT, SIGTERM, SIGHUP and SIGQUIT put the terminal back and end the game by
/// the same signal, in itself alone; SIGTSTP puts it back and stops; SIGCONT and SIGWINCH
/// are the reading loop's (takeEvents()). The terminal is put back, never flushed, unless
/// another process group holds it: with none at all (setsid) it is the game's. One at a time.
class TerminalSignals {
  public:
    explicit TerminalSignals(int terminal);
    ~TerminalSignals();
    TerminalSignals(const TerminalSignals&) = delete;
    TerminalSignals& operator=(const TerminalSignals&) = delete;

    // Readable when events wait; -1 if the pipe could not be made, which the line editor
    // sees to before it starts (terminalCanEditLines()).
    int wakeUp() const { return wakeUp_[0]; }
    const termios& settingsBefore() const { return settingsBefore_; }

    struct Events {
        bool continued = false;  // take the terminal again, and redraw
        bool resized = false;    // redraw for the new width
    };

    Events takeEvents();  // since last asked; empties wakeUp()

    static constexpr std::array kTakenOver = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT,
                                              SIGTSTP, SIGCONT, SIGWINCH};

  private:
    termios settingsBefore_{};
    std::array<struct sigaction, kTakenOver.size()> before_{};
    std::array<bool, kTakenOver.size()> handled_{};
    std::array<int, 2> wakeUp_{-1, -1};
};

}  // namespace quellmoor
