#include "posix/descriptor_io.hpp"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace quellmoor {
namespace {

// A descriptor the game inherited may be non-blocking: "not now" is waited out, never taken
// for the end of input or a lost screen.
template <class Call>
Transfer retried(int fd, short event, Call call) {
    while (true) {
        const ssize_t count = call();
        if (count >= 0) {
            return {static_cast<std::size_t>(count), 0};
        }
        pollfd ready{fd, event, 0};
        const bool notNow = errno == EAGAIN || errno == EWOULDBLOCK;
        if (errno != EINTR && !(notNow && (::poll(&ready, 1, -1) >= 0 || errno == EINTR))) {
            return {0, static_cast<SystemError>(errno)};
        }
    }
}

}  // namespace

Transfer DescriptorIo::read(char* into, std::size_t size) const {
    return retried(fd_, POLLIN, [&] { return ::read(fd_, into, size); });
}

Transfer DescriptorIo::write(const char* from, std::size_t size) const {
    return retried(fd_, POLLOUT, [&] { return ::write(fd_, from, size); });
}

std::streamsize DescriptorIo::waiting() const {
    int waiting = 0;
    return ::ioctl(fd_, FIONREAD, &waiting) == 0 ? waiting : 0;  // 0: the reader must assume a wait
}

}  // namespace quellmoor
