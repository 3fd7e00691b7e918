#pragma once

#include <windows.h>

#include "program/stream_buffers.hpp"

namespace quellmoor {

/// A standard handle for InputBuffer and OutputBuffer: ReadFile and WriteFile straight
/// through, no byte changed. A pipe says what it holds, a file never waits, a console
/// may. At a console only a line that begins with Ctrl-Z ends the input (as Ctrl-D does
/// at a POSIX terminal); elsewhere byte 0x1A is a byte like any other.
class HandleIo {
  public:
    static constexpr SystemError kNothingWritten = ERROR_WRITE_FAULT;

    HandleIo(HANDLE handle);  // implicit: a handle is its Io

    Transfer read(char* into, std::size_t size) const;
    Transfer write(const char* from, std::size_t size) const;
    std::streamsize waiting() const;

  private:
    enum class Kind { kConsole, kPipe, kFile, kOther };
    static Kind kindOf(HANDLE handle);

    HANDLE handle_;
    Kind kind_;
};

using HandleInput = InputBuffer<HandleIo>;
using HandleOutput = OutputBuffer<HandleIo>;

}  // namespace quellmoor
