#pragma once

#include <cerrno>

#include "program/stream_buffers.hpp"

namespace quellmoor {

/// A file descriptor for InputBuffer and OutputBuffer: read(), write(), and FIONREAD.
class DescriptorIo {
  public:
    static constexpr SystemError kNothingWritten = EIO;

    DescriptorIo(int fd) : fd_(fd) {}  // implicit: a descriptor is its Io

    Transfer read(char* into, std::size_t size) const;
    Transfer write(const char* from, std::size_t size) const;
    std::streamsize waiting() const;

  private:
    int fd_;
};

using FileDescriptorInput = InputBuffer<DescriptorIo>;
using FileDescriptorOutput = OutputBuffer<DescriptorIo>;

}  // namespace quellmoor
