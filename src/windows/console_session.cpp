#include "windows/console_session.hpp"

#include <atomic>
#include <initializer_list>

namespace quellmoor {
namespace {

// The session whose modes an interrupt must put back. The console calls its control
// handler on a thread of its own, with no argument to say which session: this pointer is
// the one way to reach it. Set and cleared by the session itself.
std::atomic<const ConsoleSession*> interruptible{nullptr};

}  // namespace

DWORD cookedInputMode(DWORD found) {
    return found | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT;
}

DWORD lineFeedOutputMode(DWORD found) {
    return (found | ENABLE_PROCESSED_OUTPUT) & ~static_cast<DWORD>(DISABLE_NEWLINE_AUTO_RETURN);
}

ConsoleSession::ConsoleSession(HANDLE input, HANDLE output)
    : input_(setMode(input, cookedInputMode)), output_(setMode(output, lineFeedOutputMode)) {
    interruptible.store(this);
    SetConsoleCtrlHandler(restoreOnInterrupt, TRUE);
}

ConsoleSession::~ConsoleSession() {
    SetConsoleCtrlHandler(restoreOnInterrupt, FALSE);
    interruptible.store(nullptr);
    restore();
}

void ConsoleSession::restore() const {
    for (const Found& found : {input_, output_}) {
        if (found.changed) {
            SetConsoleMode(found.handle, found.mode);
        }
    }
}

ConsoleSession::Found ConsoleSession::setMode(HANDLE handle, DWORD (*wanted)(DWORD found)) {
    Found found{handle, 0, false};
    if (GetConsoleMode(handle, &found.mode) && wanted(found.mode) != found.mode) {
        found.changed = SetConsoleMode(handle, wanted(found.mode)) != 0;
    }
    return found;
}

BOOL WINAPI ConsoleSession::restoreOnInterrupt(DWORD) {
    if (const ConsoleSession* session = interruptible.load()) {
        session->restore();
    }
    return FALSE;  // not handled: the system's own handler ends the game, as Ctrl-C should
}

}  // namespace quellmoor
