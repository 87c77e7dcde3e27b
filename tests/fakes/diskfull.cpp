#include "diskfull.h"

#include <QFile>
#include <QStorageInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

// The folder refused, with its trailing '/'; null while nothing is injected. A folder, once
// published, stays in g_folders for the process's life: a writer on another thread may still be
// comparing against it after the injection ended. Only the thread of the test adds to the list.
std::deque<std::string> g_folders;
std::atomic<const std::string *> g_folder{nullptr};
std::atomic<int> g_refused{0};

bool refuses(int fd)
{
    const std::string *folder = g_folder.load(std::memory_order_acquire);
    if (!folder || fd < 0)
        return false;
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (n <= 0)
        return false;
    target[n] = '\0';
    if (std::strncmp(target, folder->c_str(), folder->size()) != 0)
        return false;
    g_refused.fetch_add(1);
    return true;
}

} // namespace

// The interposed calls: this definition wins over the C library's for the program's own code and
// for the shared libraries and plugins it loads.
extern "C" ssize_t write(int fd, const void *buffer, size_t count)
{
    if (refuses(fd)) {
        errno = ENOSPC;
        return -1;
    }
    return ::syscall(SYS_write, fd, buffer, count);
}

extern "C" ssize_t writev(int fd, const struct iovec *iov, int count)
{
    if (refuses(fd)) {
        errno = ENOSPC;
        return -1;
    }
    return ::syscall(SYS_writev, fd, iov, count);
}

namespace fakes {

InjectedDiskFull::InjectedDiskFull(const QString &folder)
{
    g_folders.push_back(QFile::encodeName(folder).toStdString() + '/');
    g_folder.store(&g_folders.back(), std::memory_order_release);
}

InjectedDiskFull::~InjectedDiskFull() { g_folder.store(nullptr, std::memory_order_release); }

int InjectedDiskFull::refused() { return g_refused.load(); }

SmallTmpfs::SmallTmpfs(const QString &folder, int kilobytes) : folder_(folder)
{
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) != 0) {
        error_ = QStringLiteral("cannot mount a tmpfs on %1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    mounted_ = true;
}

SmallTmpfs::~SmallTmpfs()
{
    if (mounted_)
        ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
}

bool SmallTmpfs::fill(qint64 leftBytes)
{
    QStorageInfo storage(folder_);
    const qint64 fill = storage.bytesAvailable() - leftBytes;
    if (fill <= 0)
        return true;
    QFile filler(folder_ + QStringLiteral("/.filler"));
    if (!filler.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block(64 * 1024, 'x');
    for (qint64 written = 0; written < fill;) {
        const qint64 n = filler.write(block.constData(), std::min<qint64>(block.size(), fill - written));
        if (n <= 0)
            return false;
        written += n;
    }
    return filler.flush();
}

} // namespace fakes
