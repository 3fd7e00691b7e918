#include "windows/console_session.hpp"

#include <atomic>
#include <initializer_list>

namespace quellmoor {
namespace {

// The session whose modes an interrupt must put back: the console calls its handler on a
// thread of its own, with no argument to say which session.
std::atomic<const ConsoleSession*> interruptible{nullptr};

}  // namespace

ConsoleSession::ConsoleSession(HANDLE input, HANDLE output)
    : input_(setMode(input, ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT, 0)),
      output_(setMode(output, ENABLE_PROCESSED_OUTPUT, DISABLE_NEWLINE_AUTO_RETURN)) {
    interruptible.store(this);
    SetConsoleCtrlHandler(restoreOnInterrupt, TRUE);
}

ConsoleSession::~ConsoleSession() {
    SetConsoleCtrlHandler(restoreOnInterrupt, FALSE);
    interruptible.store(nullptr);
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
    if (const ConsoleSession* session = interruptible.load()) {
        session->restore();
    }
    return FALSE;  // not handled: the system's own handler ends the game, as Ctrl-C should
}

}  // namespace quellmoor
