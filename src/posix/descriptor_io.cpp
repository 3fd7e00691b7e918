#include "posix/descriptor_io.hpp"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace quellmoor {
namespace {

// Whether a failed read or write should simply be tried again. A descriptor the game
// inherited may be non-blocking (its parent set it so): then "not now" means wait for it,
// not the end of input or a broken screen.
bool worthRetrying(int fd, short event) {
    if (errno == EINTR) {
        return true;  // GCOVR_EXCL_LINE: a signal caught mid-call; no test sends one
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
        return false;
    }
    pollfd ready{fd, event, 0};
    return ::poll(&ready, 1, -1) >= 0 || errno == EINTR;
}

}  // namespace

FileDescriptorInput::int_type FileDescriptorInput::underflow() {
    if (ended_) {
        return traits_type::eof();
    }
    ssize_t count;
    do {
        count = ::read(fd_, buffer_.data(), buffer_.size());
    } while (count < 0 && worthRetrying(fd_, POLLIN));
    if (count <= 0) {
        ended_ = true;
        error_ = count < 0 ? errno : 0;
        return traits_type::eof();
    }
    setg(buffer_.data(), buffer_.data(), buffer_.data() + count);
    return traits_type::to_int_type(buffer_[0]);
}

std::streamsize FileDescriptorInput::showmanyc() {
    if (ended_) {
        return -1;  // nothing more will ever come
    }
    int waiting = 0;
    if (::ioctl(fd_, FIONREAD, &waiting) != 0) {
        return 0;  // unknown: the reader must assume it may have to wait
    }
    return waiting;
}

std::streamsize FileDescriptorOutput::xsputn(const char* text, std::streamsize size) {
    std::streamsize written = 0;
    while (written < size && error_ == 0) {
        const ssize_t count =
            ::write(fd_, text + written, static_cast<std::size_t>(size - written));
        if (count > 0) {
            written += count;
        } else if (count == 0) {
            // Nothing taken and no reason given: retrying would spin.
            error_ = EIO;  // GCOVR_EXCL_LINE: no device in a test answers a write so
        } else if (!worthRetrying(fd_, POLLOUT)) {
            error_ = errno;
        }
    }
    return written;
}

}  // namespace quellmoor
