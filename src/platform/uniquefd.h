#pragma once

#include <system_error>
#include <utility>

namespace platform {

// A move-only owner of a file descriptor; closes it on destruction.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd &&o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
    UniqueFd &operator=(UniqueFd o) noexcept
    {
        std::swap(fd_, o.fd_);
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset();

private:
    int fd_ = -1;
};

// open(2) with O_CLOEXEC; the error when it fails.
UniqueFd openFd(const char *path, int flags, std::error_code &error);
// ioctl(2), retried on EINTR; an empty error_code on success.
std::error_code xioctl(int fd, unsigned long request, void *arg);

} // namespace platform
