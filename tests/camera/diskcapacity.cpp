#include "diskcapacity.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace {

using WriteFn = ssize_t (*)(int, const void *, size_t);
using WritevFn = ssize_t (*)(int, const struct iovec *, int);
using PwriteFn = ssize_t (*)(int, const void *, size_t, off_t);
using StatvfsFn = int (*)(const char *, struct statvfs *);

// The C library's own function, found on first use (a write may come before any initialiser
// of this file has run; atomics of this kind are zero before that).
template <typename Fn>
Fn real(std::atomic<Fn> &slot, const char *name)
{
    Fn f = slot.load();
    if (!f) {
        f = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
        slot.store(f);
    }
    return f;
}
std::atomic<WriteFn> realWrite{nullptr};
std::atomic<WritevFn> realWritev{nullptr};
std::atomic<PwriteFn> realPwrite{nullptr};
std::atomic<StatvfsFn> realStatvfs{nullptr};

// The limit in force. The mutex also makes each check and its write one step, so two threads
// never both take the last free bytes.
struct Limit {
    std::mutex mutex;
    bool active = false;
    std::string folder;   // canonical, without a trailing slash
    std::uint64_t capacity = 0;
    bool toldByStatvfs = false;
    std::atomic<std::uint64_t> refused{0};
};
Limit limit;

std::uint64_t usedIn(const std::string &folder)
{
    std::uint64_t used = 0;
    if (DIR *d = opendir(folder.c_str())) {
        while (dirent *e = readdir(d)) {
            struct stat st {};
            const std::string path = folder + '/' + e->d_name;
            if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                used += std::uint64_t(st.st_size);
        }
        closedir(d);
    }
    return used;
}

bool inFolder(int fd, const std::string &folder)
{
    char link[64], target[PATH_MAX + 1];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, target, PATH_MAX);
    if (n <= 0)
        return false;
    target[n] = '\0';
    const char *slash = std::strrchr(target, '/');
    return slash && std::string(target, std::size_t(slash - target)) == folder;
}

// How many of `n` bytes written at `offset` (-1: the file's position) fit; -1 when `fd` is not
// under the limit. Called with the mutex held.
ssize_t fitting(int fd, size_t n, off_t offset)
{
    if (!limit.active || !inFolder(fd, limit.folder))
        return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return -1;
    if (offset < 0)
        offset = (fcntl(fd, F_GETFL) & O_APPEND) ? st.st_size : lseek(fd, 0, SEEK_CUR);
    const std::uint64_t end = std::uint64_t(offset) + n;
    const std::uint64_t growth = end > std::uint64_t(st.st_size) ? end - std::uint64_t(st.st_size) : 0;
    const std::uint64_t used = usedIn(limit.folder);
    const std::uint64_t free = limit.capacity > used ? limit.capacity - used : 0;
    if (growth <= free)
        return ssize_t(n);
    return ssize_t(n - (growth - free));
}

ssize_t refuse()
{
    ++limit.refused;
    errno = ENOSPC;
    return -1;
}

} // namespace

extern "C" {

ssize_t write(int fd, const void *data, size_t n)
{
    const WriteFn c = real(realWrite, "write");
    std::unique_lock lock(limit.mutex);
    const ssize_t fits = fitting(fd, n, -1);
    if (fits < 0)
        return c(fd, data, n);
    if (fits == 0 && n > 0)
        return refuse();
    return c(fd, data, size_t(fits));
}

ssize_t pwrite(int fd, const void *data, size_t n, off_t offset)
{
    const PwriteFn c = real(realPwrite, "pwrite");
    std::unique_lock lock(limit.mutex);
    const ssize_t fits = fitting(fd, n, offset);
    if (fits < 0)
        return c(fd, data, n, offset);
    if (fits == 0 && n > 0)
        return refuse();
    return c(fd, data, size_t(fits), offset);
}

ssize_t pwrite64(int fd, const void *data, size_t n, off_t offset) { return pwrite(fd, data, n, offset); }

ssize_t writev(int fd, const struct iovec *iov, int count)
{
    const WritevFn c = real(realWritev, "writev");
    std::unique_lock lock(limit.mutex);
    size_t total = 0;
    for (int i = 0; i < count; ++i)
        total += iov[i].iov_len;
    const ssize_t fits = fitting(fd, total, -1);
    if (fits < 0 || size_t(fits) == total)
        return c(fd, iov, count);
    if (fits == 0 && total > 0)
        return refuse();
    // The vectors that fit, the last one cut.
    std::vector<struct iovec> part;
    size_t left = size_t(fits);
    for (int i = 0; i < count && left > 0; ++i) {
        part.push_back(iov[i]);
        part.back().iov_len = std::min(left, iov[i].iov_len);
        left -= part.back().iov_len;
    }
    return c(fd, part.data(), int(part.size()));
}

int statvfs(const char *path, struct statvfs *buf) noexcept
{
    const int r = real(realStatvfs, "statvfs")(path, buf);
    std::unique_lock lock(limit.mutex);
    if (r != 0 || !limit.active || !limit.toldByStatvfs)
        return r;
    char resolved[PATH_MAX + 1];
    if (!realpath(path, resolved) || limit.folder != resolved)
        return r;
    const std::uint64_t used = usedIn(limit.folder);
    const std::uint64_t free = limit.capacity > used ? limit.capacity - used : 0;
    const std::uint64_t unit = buf->f_frsize ? buf->f_frsize : 4096;
    buf->f_bavail = buf->f_bfree = fsblkcnt_t(free / unit);
    buf->f_blocks = fsblkcnt_t(limit.capacity / unit);
    return r;
}

int statvfs64(const char *path, struct statvfs64 *buf) noexcept { return statvfs(path, reinterpret_cast<struct statvfs *>(buf)); }

// Found by dlsym when the executable's symbols are the ones the libraries see.
int sendra_test_disk_capacity_marker = 1;

} // extern "C"

DiskCapacity::DiskCapacity(const QString &folder, std::uint64_t capacityBytes, bool toldByStatvfs)
{
    char resolved[PATH_MAX + 1];
    const QByteArray name = QFile::encodeName(folder);
    std::lock_guard lock(limit.mutex);
    limit.folder = realpath(name.constData(), resolved) ? resolved : name.constData();
    limit.capacity = capacityBytes;
    limit.toldByStatvfs = toldByStatvfs;
    limit.refused = 0;
    limit.active = true;
}

DiskCapacity::~DiskCapacity()
{
    std::lock_guard lock(limit.mutex);
    limit.active = false;
}

bool DiskCapacity::interposed()
{
    // The C library's write must not be what a library resolving "write" finds first.
    return dlsym(RTLD_DEFAULT, "sendra_test_disk_capacity_marker") != nullptr &&
           dlsym(RTLD_DEFAULT, "write") == reinterpret_cast<void *>(&write);
}

std::uint64_t DiskCapacity::refusedWrites() const { return limit.refused.load(); }

std::uint64_t DiskCapacity::used() const
{
    std::lock_guard lock(limit.mutex);
    return usedIn(limit.folder);
}
