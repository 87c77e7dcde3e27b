#pragma once

#include "platform/bitmap.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace library {

// What identifies one version of a file: a rewrite (even to the same size within the same
// second, or by renaming a new file over it) changes the inode or the nanosecond time.
struct FileStamp {
    qint64 size = 0;
    qint64 modifiedNs = 0;
    quint64 inode = 0;
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};
std::optional<FileStamp> stampOf(const QString &path);

// Finished thumbnails by path and file version, so turning pages back and forth does not decode
// or re-open a video again. Holds at most `capacity` entries; the least recently used goes first.
class ThumbnailCache
{
public:
    explicit ThumbnailCache(int capacity = 60) : capacity_(capacity) {}

    std::optional<platform::Bitmap> find(const QString &path, const FileStamp &stamp);
    void insert(const QString &path, const FileStamp &stamp, const platform::Bitmap &thumbnail);
    void clear() { entries_.clear(); }
    // Drops the thumbnails of files in `folder` (folder + "/" + name, as listed) that the listing
    // no longer holds: a file that is gone must not lend its picture to a later file of the same
    // path whose stamp happens to match (coarse clocks, reused inodes).
    void forgetMissing(const QString &folder, const QStringList &listed);
    int size() const { return int(entries_.size()); }

private:
    struct Entry {
        FileStamp stamp;
        platform::Bitmap thumbnail;
        quint64 used = 0;
    };
    QHash<QString, Entry> entries_;
    int capacity_;
    quint64 tick_ = 0;
};

} // namespace library
