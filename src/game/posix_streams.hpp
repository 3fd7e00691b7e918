#pragma once

#include <array>
#include <streambuf>

namespace quellmoor {

/// Reads a file descriptor (standard input) in large blocks.
///
/// Reports through in_avail() how many bytes can be read without waiting (FIONREAD), so
/// the console flushes its output exactly when the next read would block: not at all
/// while a piped script still has words waiting, always before waiting on a player.
class FileDescriptorInput : public std::streambuf {
  public:
    explicit FileDescriptorInput(int fd) : fd_(fd) {}

  protected:
    int_type underflow() override;
    std::streamsize showmanyc() override;

  private:
    int fd_;
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
