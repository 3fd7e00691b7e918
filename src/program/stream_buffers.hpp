#pragma once

#include <array>
#include <cstddef>
#include <streambuf>
#include <utility>

namespace quellmoor {

/// An error as the system gives it (errno, or GetLastError()); 0 for none.
using SystemError = unsigned long;

/// What one read or write did: the bytes it moved, or why none (no error: end of input).
struct Transfer {
    std::size_t count = 0;
    SystemError error = 0;
};

/// Standard input in large blocks over a system's `Io`: `read` (at least a byte) and
/// `waiting` (bytes that can be read without a wait, 0 if unknown) for in_avail(), so the
/// console flushes exactly before a read that would wait. The end of input, once seen,
/// stays (a terminal's Ctrl-D is read once, yet ends the game from any prompt); a failed
/// read ends it too, its error kept.
template <class Io>
class InputBuffer : public std::streambuf {
  public:
    template <class... Made>
    explicit InputBuffer(Made&&... made) : io_(std::forward<Made>(made)...) {}

    SystemError error() const { return error_; }

  protected:
    int_type underflow() override {
        if (ended_) {
            return traits_type::eof();
        }
        const Transfer read = io_.read(buffer_.data(), buffer_.size());
        if (read.count == 0) {
            ended_ = true;
            error_ = read.error;
            return traits_type::eof();
        }
        setg(buffer_.data(), buffer_.data(), buffer_.data() + read.count);
        return traits_type::to_int_type(buffer_[0]);
    }

    std::streamsize showmanyc() override { return ended_ ? -1 : io_.waiting(); }

  private:
    Io io_;
    bool ended_ = false;
    SystemError error_ = 0;
    std::array<char, 64 * 1024> buffer_;
};

/// Standard output written straight through `Io`'s `write`, with no buffer of its own:
/// the console hands it whole blocks. The first failed write stops it, its error kept.
template <class Io>
class OutputBuffer : public std::streambuf {
  public:
    explicit OutputBuffer(Io io) : io_(io) {}

    SystemError error() const { return error_; }

  protected:
    std::streamsize xsputn(const char* text, std::streamsize size) override {
        std::streamsize written = 0;
        while (written < size && error_ == 0) {
            const Transfer put =
                io_.write(text + written, static_cast<std::size_t>(size - written));
            written += static_cast<std::streamsize>(put.count);
            if (put.count == 0) {  // to write again what took nothing and said nothing would spin
                error_ = put.error != 0 ? put.error : Io::kNothingWritten;
            }
        }
        return written;
    }

  private:
    Io io_;
    SystemError error_ = 0;
};

}  // namespace quellmoor
