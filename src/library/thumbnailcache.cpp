#include "thumbnailcache.h"

#include <QFile>
#include <QSet>

#include <sys/stat.h>

namespace library {

std::optional<FileStamp> stampOf(const QString &path)
{
    struct stat st {};
    if (stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileStamp{qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                     quint64(st.st_ino)};
}

std::optional<platform::Bitmap> ThumbnailCache::find(const QString &path, const FileStamp &stamp)
{
    auto it = entries_.find(path);
    if (it == entries_.end() || !(it->stamp == stamp))
        return std::nullopt;
    it->used = ++tick_;
    return it->thumbnail;
}

void ThumbnailCache::forgetMissing(const QString &folder, const QStringList &listed)
{
    // A few dozen entries against a listing of possibly thousands: a set of the listing, made
    // only when some entry lies in that folder.
    std::optional<QSet<QString>> present;
    for (auto it = entries_.begin(); it != entries_.end();) {
        const QString &path = it.key();
        const bool inFolder = path.lastIndexOf(u'/') == folder.size() && path.startsWith(folder);
        if (inFolder && !present)
            present.emplace(listed.begin(), listed.end());
        if (inFolder && !present->contains(path))
            it = entries_.erase(it);
        else
            ++it;
    }
}

void ThumbnailCache::insert(const QString &path, const FileStamp &stamp, const platform::Bitmap &thumbnail)
{
    if (capacity_ <= 0)
        return;
    if (!entries_.contains(path) && entries_.size() >= capacity_) {
        auto oldest = entries_.begin();
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (it->used < oldest->used)
                oldest = it;
        entries_.erase(oldest);
    }
    entries_.insert(path, Entry{stamp, thumbnail, ++tick_});
}

} // namespace library
