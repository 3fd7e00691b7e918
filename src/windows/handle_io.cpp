#include "windows/handle_io.hpp"

#include <algorithm>

namespace quellmoor {
namespace {

constexpr char kCtrlZ = '\x1a';

// What is left of a file from where it is being read: all of it can be read at once.
std::streamsize restOfFile(HANDLE handle) {
    LARGE_INTEGER size;
    LARGE_INTEGER position;
    if (!GetFileSizeEx(handle, &size) || !SetFilePointerEx(handle, {}, &position, FILE_CURRENT) ||
        size.QuadPart <= position.QuadPart) {
        return 0;
    }
    return static_cast<std::streamsize>(size.QuadPart - position.QuadPart);
}

}  // namespace

HandleInput::Kind HandleInput::kindOf(HANDLE handle) {
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        return Kind::kConsole;
    }
    switch (GetFileType(handle)) {
        case FILE_TYPE_PIPE:
            return Kind::kPipe;
        case FILE_TYPE_DISK:
            return Kind::kFile;
        default:
            return Kind::kOther;
    }
}

HandleInput::HandleInput(HANDLE handle) : handle_(handle), kind_(kindOf(handle)) {}

HandleInput::int_type HandleInput::underflow() {
    if (ended_) {
        return traits_type::eof();
    }
    DWORD count = 0;
    BOOL read;
    do {
        SetLastError(ERROR_SUCCESS);
        read =
            ReadFile(handle_, buffer_.data(), static_cast<DWORD>(buffer_.size()), &count, nullptr);
        // Ctrl-C aborts a console read, failed or with nothing read: it is no end of input.
        // The game ends through the console's control handler (console_session.cpp) while
        // this reads again; where Ctrl-C is ignored, the read simply goes on.
    } while (kind_ == Kind::kConsole && count == 0 && GetLastError() == ERROR_OPERATION_ABORTED);
    const DWORD failure = read ? 0 : GetLastError();
    const bool endTyped = kind_ == Kind::kConsole && count > 0 && buffer_[0] == kCtrlZ;
    if (count == 0 || endTyped) {
        ended_ = true;
        // The writer of a pipe closing it is the end of a script, not a fault.
        error_ = failure == ERROR_BROKEN_PIPE || failure == ERROR_HANDLE_EOF ? 0 : failure;
        return traits_type::eof();
    }
    setg(buffer_.data(), buffer_.data(), buffer_.data() + count);
    return traits_type::to_int_type(buffer_[0]);
}

std::streamsize HandleInput::showmanyc() {
    if (ended_) {
        return -1;  // nothing more will ever come
    }
    switch (kind_) {
        case Kind::kPipe: {
            DWORD waiting = 0;
            if (!PeekNamedPipe(handle_, nullptr, 0, nullptr, &waiting, nullptr)) {
                return 0;  // unknown (or the writer has gone): the reader must assume a wait
            }
            return waiting;
        }
        case Kind::kFile:
            return restOfFile(handle_);
        default:
            return 0;  // a console waits for the player's line; so may anything else
    }
}

std::streamsize HandleOutput::xsputn(const char* text, std::streamsize size) {
    std::streamsize written = 0;
    while (written < size && error_ == 0) {
        DWORD count = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::streamsize>(size - written, 1 << 30));
        if (!WriteFile(handle_, text + written, chunk, &count, nullptr)) {
            error_ = GetLastError();
        } else if (count == 0) {
            error_ = ERROR_WRITE_FAULT;  // nothing taken and no reason given: retrying would spin
        } else {
            written += count;
        }
    }
    return written;
}

}  // namespace quellmoor
