#pragma once

#include <array>
#include <streambuf>

namespace quellmoor {

/// Reads a file descriptor (standard input) in large blocks.
///
/// Reports through in_avail() how many bytes can be read without waiting (FIONREAD), so
/// the console flushes its output exactly when the next read would block: not at all
/// while a piped script still has words waiting, always before waiting on a player.
///
/// The end of input, once seen, stays seen, as C's stdio keeps it: a terminal's Ctrl-D is
/// read only once, yet it must end the game from any prompt. A read that fails ends the
/// input too, and its error is kept.
class FileDescriptorInput : public std::streambuf {
  public:
    explicit FileDescriptorInput(int fd) : fd_(fd) {}

    /// The errno of the read that failed, or 0 (also at a plain end of input).
    int error() const { return error_; }

  protected:
    int_type underflow() override;
    std::streamsize showmanyc() override;

  private:
    int fd_;
    bool ended_ = false;
    int error_ = 0;
    std::array<char, 64 * 1024> buffer_;
};

/// Writes straight to a file descriptor (standard output), with no buffer of its own:
/// the console hands it whole blocks. Remembers the error of a failed write.
class FileDescriptorOutput : public std::streambuf {
  public:
    explicit FileDescriptorOutput(int fd) : fd_(fd) {}

    /// The errno of the first failed write, or 0.
    int error() const { return error_; }

  protected:
    std::streamsize xsputn(const char* text, std::streamsize size) override;

  private:
    int fd_;
    int error_ = 0;
};

}  // namespace quellmoor
