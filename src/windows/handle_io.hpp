#pragma once

#include <array>
#include <streambuf>

#include "windows/windows_api.hpp"

namespace quellmoor {

/// Reads a Windows handle (standard input) in large blocks, its bytes exactly as they come.
///
/// Reports through in_avail() how many bytes can be read without waiting, so the console
/// flushes its output exactly when the next read would wait: a pipe says what it holds
/// (PeekNamedPipe), a file never waits (what is left of it), a console always may.
///
/// At a console the player types a line at a time, with the console's own editing and
/// history; a line that begins with Ctrl-Z is the end of input, as Ctrl-D is at a POSIX
/// terminal. Through a pipe or from a file, byte 0x1A is a byte like any other. The end of
/// input, once seen, stays seen; a read that fails ends the input too, and its error is
/// kept. A pipe whose writer has gone is a plain end of input.
class HandleInput : public std::streambuf {
  public:
    explicit HandleInput(HANDLE handle);

    /// The Windows error of the read that failed, or 0 (also at a plain end of input).
    DWORD error() const { return error_; }

  protected:
    int_type underflow() override;
    std::streamsize showmanyc() override;

  private:
    enum class Kind { kConsole, kPipe, kFile, kOther };
    static Kind kindOf(HANDLE handle);

    HANDLE handle_;
    Kind kind_;
    bool ended_ = false;
    DWORD error_ = 0;
    std::array<char, 64 * 1024> buffer_;
};

/// Writes straight to a Windows handle (standard output), with no buffer of its own and no
/// change to the bytes: the console hands it whole blocks, and its line ends stay single
/// line feeds. Remembers the error of a failed write.
class HandleOutput : public std::streambuf {
  public:
    explicit HandleOutput(HANDLE handle) : handle_(handle) {}

    /// The Windows error of the first failed write, or 0.
    DWORD error() const { return error_; }

  protected:
    std::streamsize xsputn(const char* text, std::streamsize size) override;

  private:
    HANDLE handle_;
    DWORD error_ = 0;
};

}  // namespace quellmoor
