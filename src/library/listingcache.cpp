#include "listingcache.h"

#include "filelister.h"

#include <QCollator>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <memory>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace library {

namespace {

struct DirCloser {
    void operator()(DIR *d) const { closedir(d); }
};

} // namespace

QStringList ListingCache::list(const QString &folder, int kind)
{
    signaturesRead_ = 0;
    const QString locale = QLocale().bcp47Name();
    if (folder != folder_ || kind != kind_ || locale != locale_) {
        entries_.clear();
        lastCandidates_.clear();
        lastList_.clear();
        folder_ = folder;
        kind_ = kind;
        locale_ = locale;
    }
    const QList<QByteArray> extensions = kindExtensions(kind);
    std::unique_ptr<DIR, DirCloser> dir(extensions.isEmpty() ? nullptr : opendir(QFile::encodeName(folder).constData()));
    if (!dir) {
        entries_.clear();
        lastCandidates_.clear();
        lastList_.clear();
        return {};
    }
    const int dirFd = dirfd(dir.get());
    const bool checked = kind == 0 || kind == 1;

    // One pass over the folder. The candidates of each extension keep the folder's order, and the
    // extensions follow each other in listing order, as one search per extension gives them.
    std::vector<std::vector<Candidate>> groups(std::size_t(extensions.size()));
    QHash<QByteArray, Entry> seen;
    seen.reserve(entries_.size());
    while (const dirent *e = readdir(dir.get())) {
        const QByteArrayView name(e->d_name);
        qsizetype group = 0;
        while (group < extensions.size() && !nameHasExtension(name, extensions[group]))
            ++group;
        if (group == extensions.size() || (e->d_type != DT_REG && e->d_type != DT_LNK && e->d_type != DT_UNKNOWN))
            continue;
        struct stat st {};
        if (fstatat(dirFd, e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        const FileStamp stamp{qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                              quint64(st.st_ino)};
        QByteArray key = name.toByteArray();
        Entry entry;
        const auto known = entries_.constFind(key);
        if (known != entries_.cend()) {
            entry = *known;
        }
        if (known == entries_.cend() || !(known->stamp == stamp)) {
            // New or changed since the last listing: its content decides again.
            entry.stamp = stamp;
            entry.ofKind = hasKindHeaderAt(dirFd, e->d_name, kind);
            signaturesRead_ += checked ? 1 : 0;
        }
        groups[std::size_t(group)].push_back({key, entry.ofKind});
        seen.insert(std::move(key), std::move(entry));
    }
    entries_ = std::move(seen);

    std::vector<Candidate> candidates;
    for (auto &g : groups)
        for (Candidate &c : g)
            if (c.ofKind)
                candidates.push_back(std::move(c));
    const bool unchanged = candidates.size() == lastCandidates_.size() &&
                           std::equal(candidates.begin(), candidates.end(), lastCandidates_.begin(),
                                      [](const Candidate &a, const Candidate &b) { return a.name == b.name; });
    if (unchanged)
        return lastList_;

    // Sorted as sortLibraryPaths sorts: by the case-folded full path in the locale's order, ties
    // in listing order. Only new names need a key.
    QString prefix = folder;
    if (!prefix.endsWith(u'/'))
        prefix += u'/';
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QStringList paths;
    paths.reserve(qsizetype(candidates.size()));
    std::vector<std::pair<const QCollatorSortKey *, qsizetype>> order;
    order.reserve(candidates.size());
    for (const Candidate &c : candidates) {
        paths.append(prefix + QFile::decodeName(c.name));
        Entry &entry = entries_[c.name];
        if (!entry.key)
            entry.key = collator.sortKey(paths.back().toCaseFolded());
        order.emplace_back(&*entry.key, paths.size() - 1);
    }
    std::stable_sort(order.begin(), order.end(), [](const auto &a, const auto &b) { return a.first->compare(*b.first) < 0; });
    QStringList sorted;
    sorted.reserve(paths.size());
    for (const auto &o : order)
        sorted.append(std::move(paths[o.second]));
    lastCandidates_ = std::move(candidates);
    lastList_ = sorted;
    return sorted;
}

} // namespace library
