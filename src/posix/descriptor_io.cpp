#include "posix/descriptor_io.hpp"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace quellmoor {
namespace {

// After a call on `fd` failed with errno: whether to make it again. Interrupted, at once. A
// descriptor the game inherited may be non-blocking: its "not now" is waited out until `fd`
// is ready for `event`, never taken for the end of input or a lost screen.
bool worthRetrying(int fd, short event) {
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
        return errno == EINTR;
    }
    pollfd ready{fd, event, 0};
    return ::poll(&ready, 1, -1) >= 0 || errno == EINTR;
}

template <class Call>
Transfer retried(int fd, short event, Call call) {
    ssize_t count = 0;
    while ((count = call()) < 0) {
        if (!worthRetrying(fd, event)) {
            return {0, static_cast<SystemError>(errno)};
        }
    }
    return {static_cast<std::size_t>(count), 0};
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
