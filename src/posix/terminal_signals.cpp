#include "posix/terminal_signals.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace quellmoor {
namespace {

// What the handlers reach. A handler can reach only static storage, so this one record
// is the exception to "no mutable globals": filled in before the first handler is
// installed, emptied after the last is removed, and written by the handlers only through
// the two flags.
struct Reached {
    int terminal = -1;
    termios found{};
    int wakeUp = -1;  // the pipe's writing end
    volatile std::sig_atomic_t continued = 0;
    volatile std::sig_atomic_t resized = 0;
};
Reached reached;

void putTerminalBack() {
    // In the background the terminal is another job's, and changing it would stop the
    // game (SIGTTOU). TCSANOW: waiting for output to drain could wait forever inside a
    // handler (Ctrl-S), and flushing would lose what the player typed ahead.
    if (tcgetpgrp(reached.terminal) == getpgrp()) {
        tcsetattr(reached.terminal, TCSANOW, &reached.found);
    }
}

sigset_t blockedInHandlers() {
    sigset_t blocked;
    sigemptyset(&blocked);
    for (const int signal : TerminalSignals::kTaken) {
        sigaddset(&blocked, signal);
    }
    return blocked;
}

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_mask = blockedInHandlers();  // one handler at a time
    action.sa_flags = SA_RESTART;          // the reading loop is woken by the pipe instead
    sigaction(signal, &action, nullptr);
}

// Takes the signal's default action now: ends or stops the game, as if it had never been
// caught. Sent with raise(), to this process alone; it waits, blocked while its handler
// runs, until unblocked here.
void takeDefaultAction(int signal) {
    handle(signal, SIG_DFL);
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
    handle(signal, stopTheGame);
    // The game may not have stopped at all: the system does not stop a job no shell can
    // continue (one started by tmux, ssh or xterm -e), and then no SIGCONT comes. Either
    // way the terminal is the game's again.
    tellTheReadingLoop(SIGCONT);
    errno = saved;
}

void tellTheReadingLoop(int signal) {
    const int saved = errno;
    if (signal == SIGCONT) {
        reached.continued = 1;
    } else {
        reached.resized = 1;
    }
    const char byte = 0;
    if (write(reached.wakeUp, &byte, 1) < 0) {
        // The pipe is full: news is waiting already.
    }
    errno = saved;
}

void (*handlerFor(int signal))(int) {
    switch (signal) {
        case SIGTSTP:
            return stopTheGame;
        case SIGCONT:
        case SIGWINCH:
            return tellTheReadingLoop;
        default:
            return endTheGame;
    }
}

bool ignored(const struct sigaction& action) {
    return (action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == SIG_IGN;
}

}  // namespace

TerminalSignals::TerminalSignals(int terminal, const termios& found) {
    if (pipe(wakeUp_.data()) == 0) {
        for (const int end : wakeUp_) {
            fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
            fcntl(end, F_SETFD, FD_CLOEXEC);
        }
    }
    reached.terminal = terminal;
    reached.found = found;
    reached.wakeUp = wakeUp_[1];
    for (std::size_t i = 0; i < kTaken.size(); ++i) {
        sigaction(kTaken[i], nullptr, &before_[i]);
        handled_[i] = !ignored(before_[i]);
        if (handled_[i]) {
            handle(kTaken[i], handlerFor(kTaken[i]));
        }
    }
}

TerminalSignals::~TerminalSignals() {
    for (std::size_t i = 0; i < kTaken.size(); ++i) {
        if (handled_[i]) {
            sigaction(kTaken[i], &before_[i], nullptr);
        }
    }
    reached.terminal = -1;
    reached.wakeUp = -1;
    for (const int end : wakeUp_) {
        if (end >= 0) {
            close(end);
        }
    }
}

TerminalSignals::News TerminalSignals::takeNews() {
    // The pipe first, then the flags: news that comes in between wakes the loop once more
    // for nothing, rather than not at all.
    char bytes[64];
    while (read(wakeUp_[0], bytes, sizeof bytes) > 0) {
    }
    const sigset_t blocked = blockedInHandlers();
    sigset_t before;
    sigprocmask(SIG_BLOCK, &blocked, &before);
    const News news{reached.continued != 0, reached.resized != 0};
    reached.continued = 0;
    reached.resized = 0;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return news;
}

}  // namespace quellmoor
