#include "posix/terminal_signals.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace quellmoor {
namespace {

// A handler reaches only static storage: the one mutable global, set before the first
// handler is installed and cleared after the last is removed; handlers write only flags.
struct SharedWithHandlers {
    int terminal = -1;
    termios settingsBefore{};
    int wakeUpWriter = -1;
    volatile std::sig_atomic_t continued = 0;
    volatile std::sig_atomic_t resized = 0;
};
SharedWithHandlers shared;

void putTerminalBack() {
    // Not while another job holds it (that would stop the game). TCSANOW: draining could
    // wait forever in a handler (Ctrl-S), and flushing would lose the type-ahead.
    const pid_t holder = tcgetpgrp(shared.terminal);
    if (holder < 0 || holder == getpgrp()) {
        tcsetattr(shared.terminal, TCSANOW, &shared.settingsBefore);
    }
}

sigset_t blockedInHandlers() {
    sigset_t blocked;
    sigemptyset(&blocked);
    for (const int signal : TerminalSignals::kTakenOver) {
        sigaddset(&blocked, signal);
    }
    return blocked;
}

void installHandler(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_mask = blockedInHandlers();  // one handler at a time
    action.sa_flags = SA_RESTART;          // the reading loop is woken by the pipe instead
    sigaction(signal, &action, nullptr);
}

// Ends or stops the game as if the signal had never been caught: raised in this process
// alone, it waits, blocked while its handler runs, until unblocked here.
void takeDefaultAction(int signal) {
    installHandler(signal, SIG_DFL);
    raise(signal);
    sigset_t just;
    sigemptyset(&just);
    sigaddset(&just, signal);
    sigprocmask(SIG_UNBLOCK, &just, nullptr);
}

// GCOVR_EXCL_START: the game ends here, by its signal, so its coverage is never written;
// the terminal session test sees the terminal put back and the status of that signal.
void endTheGame(int signal) {
    putTerminalBack();
    takeDefaultAction(signal);
}
// GCOVR_EXCL_STOP

void tellTheReadingLoop(int signal);

void stopTheGame(int signal) {
    const int saved = errno;
    putTerminalBack();
    takeDefaultAction(signal);  // stopped here until continued
    installHandler(signal, stopTheGame);
    // The game may not have stopped at all: the system does not stop a job no shell can
    // continue (one started by tmux, ssh or xterm -e), and then no SIGCONT comes. Either
    // way the terminal is the game's again.
    tellTheReadingLoop(SIGCONT);
    errno = saved;
}

void tellTheReadingLoop(int signal) {
    const int saved = errno;
    (signal == SIGCONT ? shared.continued : shared.resized) = 1;
    const char byte = 0;
    if (write(shared.wakeUpWriter, &byte, 1) < 0) {
        // The pipe is full: the loop has been woken already.
    }
    errno = saved;
}

void (*handlerFor(int signal))(int) {
    return signal == SIGTSTP                         ? stopTheGame
           : signal == SIGCONT || signal == SIGWINCH ? tellTheReadingLoop
                                                     : endTheGame;
}

}  // namespace

TerminalSignals::TerminalSignals(int terminal) {
    tcgetattr(terminal, &settingsBefore_);
    if (pipe(wakeUp_.data()) == 0) {
        for (const int end : wakeUp_) {
            fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
            fcntl(end, F_SETFD, FD_CLOEXEC);
        }
    }
    shared.terminal = terminal;
    shared.settingsBefore = settingsBefore_;
    shared.wakeUpWriter = wakeUp_[1];
    for (std::size_t i = 0; i < kTakenOver.size(); ++i) {
        sigaction(kTakenOver[i], nullptr, &before_[i]);
        handled_[i] = (before_[i].sa_flags & SA_SIGINFO) != 0 || before_[i].sa_handler != SIG_IGN;
        if (handled_[i]) {
            installHandler(kTakenOver[i], handlerFor(kTakenOver[i]));
        }
    }
}

TerminalSignals::~TerminalSignals() {
    for (std::size_t i = 0; i < kTakenOver.size(); ++i) {
        if (handled_[i]) {
            sigaction(kTakenOver[i], &before_[i], nullptr);
        }
    }
    shared.terminal = -1;
    shared.wakeUpWriter = -1;
    for (const int end : wakeUp_) {
        close(end);  // -1 if the pipe could not be made: nothing to close
    }
}

TerminalSignals::Events TerminalSignals::takeEvents() {
    // The pipe first: an event between the two wakes the loop once more, not never.
    char bytes[64];
    while (read(wakeUp_[0], bytes, sizeof bytes) > 0) {
    }
    const sigset_t blocked = blockedInHandlers();
    sigset_t before;
    sigprocmask(SIG_BLOCK, &blocked, &before);
    const Events events{shared.continued != 0, shared.resized != 0};
    shared.continued = 0;
    shared.resized = 0;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return events;
}

}  // namespace quellmoor
