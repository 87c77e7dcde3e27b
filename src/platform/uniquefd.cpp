#include "uniquefd.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

void UniqueFd::reset()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

UniqueFd openFd(const char *path, int flags, std::error_code &error)
{
    int fd;
    do
        fd = ::open(path, flags | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    error = fd < 0 ? std::error_code(errno, std::generic_category()) : std::error_code();
    return UniqueFd(fd);
}

std::error_code xioctl(int fd, unsigned long request, void *arg)
{
    int r;
    do
        r = ::ioctl(fd, request, arg);
    while (r < 0 && errno == EINTR);
    return r < 0 ? std::error_code(errno, std::generic_category()) : std::error_code();
}

} // namespace platform
