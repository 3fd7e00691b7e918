#pragma once

#include <termios.h>

#include <array>
#include <csignal>

namespace quellmoor {

/// The game's own answer to signals while the line editor holds the terminal, in place
/// of libedit's (which sends a caught signal on to the whole process group, and leaves
/// the half-typed line behind even for a signal the game was started to ignore).
///
/// - SIGINT, SIGTERM, SIGHUP, SIGQUIT: the terminal is put back as it was found, and the
///   game ends by the same signal, sent to itself alone, so that whoever started it sees
///   the usual status (a shell reports 128 + the signal's number) and carries on.
/// - SIGTSTP: the terminal is put back and the game stops; SIGCONT, and SIGWINCH (a new
///   window size), are left for the reading loop, which takes the terminal again and
///   draws the line anew (see takeNews()).
/// - A signal found ignored when the game starts stays ignored: it neither ends the game
///   nor touches the line being typed.
///
/// The handlers do only what is safe inside one (tcsetattr, sigaction, raise, write);
/// what they must reach is kept in static storage, as a handler can reach nothing else.
/// The terminal is touched only while the game is the terminal's foreground job, and
/// never flushed: what the player typed ahead stays for whoever reads next.
///
/// At most one exists at a time. Destroying it gives every signal back the action it had.
class TerminalSignals {
  public:
    /// Takes over the signals above on `terminal`, whose settings before the game are
    /// `found`.
    TerminalSignals(int terminal, const termios& found);
    ~TerminalSignals();
    TerminalSignals(const TerminalSignals&) = delete;
    TerminalSignals& operator=(const TerminalSignals&) = delete;

    /// A descriptor that becomes readable when news waits for the reading loop: wait on
    /// it beside the terminal.
    int wakeUp() const { return wakeUp_[0]; }

    /// What happened since last asked.
    struct News {
        bool continued = false;  // stopped and continued: take the terminal and redraw
        bool resized = false;    // a new window size: redraw for it
    };

    /// Takes the news, and empties wakeUp().
    News takeNews();

    /// The signals taken over.
    static constexpr std::array kTaken = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT,
                                          SIGTSTP, SIGCONT, SIGWINCH};

  private:
    std::array<struct sigaction, kTaken.size()> before_{};
    std::array<bool, kTaken.size()> handled_{};
    std::array<int, 2> wakeUp_{-1, -1};
};

}  // namespace quellmoor
