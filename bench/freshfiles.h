#pragma once

// File-writing benchmarks: the plain write(2) anchor, and fresh names for every round.
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

namespace bench {

// The anchor of every file benchmark: open, write(2) until done, close.
inline void writeBytes(const QString &path, const void *data, std::size_t size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const auto *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n <= 0)
            break;
        bytes += n;
        size -= std::size_t(n);
    }
    ::close(fd);
}

// Captures are new files: each round gives both sides a fresh name and removes that side's file
// of the previous round first, so both pay the same file-system bookkeeping. Call ours() and then
// anchor() once per round.
class FreshFiles
{
public:
    explicit FreshFiles(QString extension) : extension_(std::move(extension)) {}

    QString ours() { return next(QStringLiteral("ours")); }
    QString anchor()
    {
        QString path = next(QStringLiteral("anchor"));
        ++round_;
        return path;
    }
    QString path(const QString &name) const { return dir_.filePath(name); }

private:
    QString next(const QString &side) const
    {
        QFile::remove(dir_.filePath(QStringLiteral("%1_%2.%3").arg(side).arg(round_ - 1).arg(extension_)));
        return dir_.filePath(QStringLiteral("%1_%2.%3").arg(side).arg(round_).arg(extension_));
    }

    QTemporaryDir dir_;
    QString extension_;
    int round_ = 0;
};

} // namespace bench
