#include "atomicfile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <climits>
#include <utility>
#include <cerrno>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd)
    {
        reset();
        fd_ = fd;
    }
    void reset()
    {
        if (fd_ >= 0)
            ::close(std::exchange(fd_, -1));
    }

private:
    int fd_;
};

std::error_code lastError() { return {errno, std::generic_category()}; }

std::error_code writeAll(int fd, std::vector<iovec> iov)
{
    std::size_t first = 0;
    while (first < iov.size()) {
        const ssize_t n = ::writev(fd, iov.data() + first, int(std::min<std::size_t>(iov.size() - first, IOV_MAX)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        std::size_t left = std::size_t(n);
        while (first < iov.size() && left >= iov[first].iov_len)
            left -= iov[first++].iov_len;
        if (first < iov.size()) {
            iov[first].iov_base = static_cast<char *>(iov[first].iov_base) + left;
            iov[first].iov_len -= left;
        }
    }
    return {};
}

} // namespace

bool isDiskFull(const std::error_code &error)
{
    const std::error_condition condition = error.default_error_condition();
    return condition == std::errc::no_space_on_device || condition == std::error_condition(EDQUOT, std::generic_category());
}

AtomicFileWriter::AtomicFileWriter(const QString &path, Durability durability) : durability_(durability)
{
    static std::atomic<unsigned> counter{0};
    const QFileInfo info(path);
    dir_ = QFile::encodeName(info.absolutePath());
    target_ = QFile::encodeName(info.absoluteFilePath());
    // A leading dot and a suffix after the extension keep the half-written file out of every
    // folder listing that filters by extension.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = dir_ + "/." + QFile::encodeName(info.fileName()) + ".tmp" + QByteArray::number(::getpid()) + "_"
              + QByteArray::number(counter.fetch_add(1));
        fd_ = ::open(temp_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            error_ = lastError();
            return;
        }
    }
    if (fd_ < 0)
        error_ = std::make_error_code(std::errc::file_exists);
}

AtomicFileWriter::~AtomicFileWriter() { discard(); }

void AtomicFileWriter::discard()
{
    if (fd_ >= 0) {
        ::close(std::exchange(fd_, -1));
        ::unlink(temp_.constData());
    }
}

void AtomicFileWriter::write(const void *data, std::size_t size)
{
    if (error_ || size == 0)
        return;
    error_ = writeAll(fd_, {iovec{const_cast<void *>(data), size}});
}

std::error_code AtomicFileWriter::commit()
{
    if (!error_ && durability_ == Durability::Synced && ::fdatasync(fd_) != 0)
        error_ = lastError();
    if (!error_) {
        const int fd = std::exchange(fd_, -1);
        if (::close(fd) != 0)
            error_ = lastError();
        if (!error_ && ::rename(temp_.constData(), target_.constData()) != 0)
            error_ = lastError();
        if (error_)
            ::unlink(temp_.constData());
    }
    if (error_) {
        discard();
        return error_;
    }
    if (durability_ == Durability::Synced) {
        // The rename itself is durable only once the folder is flushed.
        FileDescriptor dirFd(::open(dir_.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dirFd.get() >= 0)
            ::fsync(dirFd.get());
    }
    return {};
}

std::error_code writeFileAtomically(const QString &path, std::initializer_list<ByteSpan> pieces,
                                    Durability durability)
{
    AtomicFileWriter writer(path, durability);
    for (const ByteSpan &p : pieces)
        writer.write(p.data, p.size);
    return writer.commit();
}

std::error_code writeFileAtomically(const QString &path, const void *data, std::size_t size, Durability durability)
{
    return writeFileAtomically(path, {ByteSpan{data, size}}, durability);
}

} // namespace platform
