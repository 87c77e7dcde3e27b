#pragma once

#include <QString>

namespace fakes {

// A disk that is full below `folder`, injected while in scope: every write(2) and writev(2) of
// this process into a file below it fails with ENOSPC, whoever calls it (the program's atomic
// writers, GStreamer's filesink on a streaming thread). The test binary that uses it interposes
// both calls; writes anywhere else go to the kernel unchanged. One at a time.
class InjectedDiskFull
{
public:
    explicit InjectedDiskFull(const QString &folder);
    ~InjectedDiskFull();
    InjectedDiskFull(const InjectedDiskFull &) = delete;
    InjectedDiskFull &operator=(const InjectedDiskFull &) = delete;
    // Writes refused so far.
    static int refused();
};

// A real small file system: a tmpfs of `kilobytes` mounted on `folder` while in scope (root
// only). `error()` says why it could not be mounted; tests then skip with it.
class SmallTmpfs
{
public:
    SmallTmpfs(const QString &folder, int kilobytes);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs &) = delete;
    SmallTmpfs &operator=(const SmallTmpfs &) = delete;
    bool mounted() const { return mounted_; }
    const QString &error() const { return error_; }
    // Fills the file system up to `leftBytes` free with one file named ".filler".
    bool fill(qint64 leftBytes);

private:
    QString folder_;
    QString error_;
    bool mounted_ = false;
};

} // namespace fakes
