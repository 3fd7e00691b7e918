#include "windows/console_session.hpp"

#include <initializer_list>
#include <mutex>

namespace quellmoor {
namespace {

// The session whose modes an interrupt must put back: the console calls its handler on a
// thread of its own, with no argument to say which session. Removing the handler does not
// wait for one already running, so the lock keeps that thread and the session's end apart:
// the handler puts back the modes of a session still alive, or finds none, and a session
// ends only once a handler at work on it is done.
std::mutex interruptibleLock;
const ConsoleSession* interruptible = nullptr;  // guarded by interruptibleLock

void makeInterruptible(const ConsoleSession* session) {
    const std::lock_guard lock(interruptibleLock);
    interruptible = session;
}

}  // namespace

ConsoleSession::ConsoleSession(HANDLE input, HANDLE output)
    : input_(setMode(input, ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT, 0)),
      output_(setMode(output, ENABLE_PROCESSED_OUTPUT, DISABLE_NEWLINE_AUTO_RETURN)) {
    makeInterruptible(this);
    SetConsoleCtrlHandler(restoreOnInterrupt, TRUE);
}

ConsoleSession::~ConsoleSession() {
    SetConsoleCtrlHandler(restoreOnInterrupt, FALSE);
    makeInterruptible(nullptr);
    restore();
}

void ConsoleSession::restore() const {
    for (const ModeBefore& before : {input_, output_}) {
        if (before.changed) {
            SetConsoleMode(before.handle, before.mode);
        }
    }
}

ConsoleSession::ModeBefore ConsoleSession::setMode(HANDLE handle, DWORD on, DWORD off) {
    ModeBefore before{handle, 0, false};
    if (GetConsoleMode(handle, &before.mode)) {
        const DWORD wanted = (before.mode | on) & ~off;
        before.changed = wanted != before.mode && SetConsoleMode(handle, wanted) != 0;
    }
    return before;
}

BOOL WINAPI ConsoleSession::restoreOnInterrupt(DWORD) {
    const std::lock_guard lock(interruptibleLock);
    if (interruptible != nullptr) {
        interruptible->restore();
    }
    return FALSE;  // not handled: the system's own handler ends the game, as Ctrl-C should
}

}  // namespace quellmoor
