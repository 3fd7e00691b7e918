#include "windows/handle_io.hpp"

#include <algorithm>

namespace quellmoor {
namespace {

constexpr char kCtrlZ = '\x1a';

// What is left of a file from where it is being read: all of it can be read at once.
std::streamsize restOfFile(HANDLE handle) {
    LARGE_INTEGER size{};
    LARGE_INTEGER position{};
    const bool known =
        GetFileSizeEx(handle, &size) && SetFilePointerEx(handle, {}, &position, FILE_CURRENT);
    return known ? std::max<std::streamsize>(size.QuadPart - position.QuadPart, 0) : 0;
}

}  // namespace

HandleIo::HandleIo(HANDLE handle) : handle_(handle), kind_(kindOf(handle)) {}

HandleIo::Kind HandleIo::kindOf(HANDLE handle) {
    DWORD mode = 0;
    const DWORD type = GetFileType(handle);
    return GetConsoleMode(handle, &mode) ? Kind::kConsole
           : type == FILE_TYPE_PIPE      ? Kind::kPipe
           : type == FILE_TYPE_DISK      ? Kind::kFile
                                         : Kind::kOther;
}

Transfer HandleIo::read(char* into, std::size_t size) const {
    const bool console = kind_ == Kind::kConsole;
    DWORD count = 0;
    DWORD failure = 0;
    // At a console a read that gives nothing is no end of input: Ctrl-C aborts one, and
    // older consoles give nothing for a line with a letter beyond ASCII under code page 65001.
    do {
        const bool read = ReadFile(handle_, into, static_cast<DWORD>(size), &count, nullptr);
        failure = read ? 0 : GetLastError();
    } while (console && count == 0 && (failure == 0 || failure == ERROR_OPERATION_ABORTED));
    if (console && count > 0 && into[0] == kCtrlZ) {
        return {};
    }
    // The writer of a pipe closing it is the end of a script, not a fault.
    const bool scriptEnded = failure == ERROR_BROKEN_PIPE || failure == ERROR_HANDLE_EOF;
    return {count, scriptEnded ? 0 : failure};
}

Transfer HandleIo::write(const char* from, std::size_t size) const {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 30));
    DWORD count = 0;
    const bool wrote = WriteFile(handle_, from, chunk, &count, nullptr);
    return {count, wrote ? 0 : GetLastError()};
}

// A pipe says what it holds (0 if unknown, or its writer has gone), a file never waits,
// and a console waits for the player's line; so may anything else.
std::streamsize HandleIo::waiting() const {
    DWORD inPipe = 0;
    return kind_ == Kind::kPipe
               ? (PeekNamedPipe(handle_, nullptr, 0, nullptr, &inPipe, nullptr) ? inPipe : 0)
           : kind_ == Kind::kFile ? restOfFile(handle_)
                                  : 0;
}

}  // namespace quellmoor
