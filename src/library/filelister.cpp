#include "filelister.h"

#include "listingcache.h"

#include <QCollator>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace library {

namespace {

struct DirCloser {
    void operator()(DIR *d) const { closedir(d); }
};

bool isRegularFile(int dirFd, const dirent *entry)
{
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st {};
    return fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

} // namespace

bool nameHasExtension(QByteArrayView name, QByteArrayView extension)
{
    const qsizetype ext = extension.size();
    if (name.size() < ext + 1 || name[name.size() - ext - 1] != '.')
        return false;
    return qstrnicmp(name.data() + name.size() - ext, ext, extension.data(), ext) == 0;
}

QList<QByteArray> kindExtensions(int kind)
{
    switch (kind) {
    case 0: return {QByteArrayLiteral("bmp")};
    case 1: return {QByteArrayLiteral("jpg"), QByteArrayLiteral("jpeg")};
    case 2: return {QByteArrayLiteral("avi")};
    default: return {};
    }
}

bool hasKindHeaderAt(int dirFd, const char *name, int kind)
{
    if (kind != 0 && kind != 1)
        return true;
    const int fd = openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    unsigned char head[2] = {0, 0};
    const ssize_t got = pread(fd, head, 2, 0);
    close(fd);
    if (got != 2)
        return false;
    const unsigned value = unsigned(head[0]) | (unsigned(head[1]) << 8);   // little-endian 16 bits
    return kind == 0 ? value == 0x4D42 : value == 0xD8FF;
}

bool hasKindHeader(const QString &path, int kind)
{
    return hasKindHeaderAt(AT_FDCWD, QFile::encodeName(path).constData(), kind);
}

void FindFiles(const QString &folder, const QString &extension, int kind, QStringList &out)
{
    if (extension.isEmpty())
        return;
    const QByteArray encodedFolder = QFile::encodeName(folder);
    std::unique_ptr<DIR, DirCloser> dir(opendir(encodedFolder.constData()));
    if (!dir)
        return;
    const int dirFd = dirfd(dir.get());
    const QByteArray ext = extension.toUtf8();
    QString prefix = folder;
    if (!prefix.endsWith(u'/'))
        prefix += u'/';
    while (const dirent *entry = readdir(dir.get())) {
        const std::size_t length = std::strlen(entry->d_name);
        if (!nameHasExtension(QByteArrayView(entry->d_name, qsizetype(length)), ext) || !isRegularFile(dirFd, entry) ||
            !hasKindHeaderAt(dirFd, entry->d_name, kind))
            continue;
        out.append(prefix + QFile::decodeName(QByteArray(entry->d_name, qsizetype(length))));
    }
}

QStringList listLibraryFiles(const QString &folder, int kind) { return ListingCache().list(folder, kind); }

void sortLibraryPaths(QStringList &paths)
{
    if (paths.size() < 2)
        return;
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // The keys are made from case-folded text: not every collation backend honours the case
    // setting (the C locale compares code points), and the order must ignore case everywhere.
    // One key per path: a folder of thousands of files compares keys, not strings, n log n times.
    std::vector<std::pair<QCollatorSortKey, qsizetype>> keys;
    keys.reserve(std::size_t(paths.size()));
    for (qsizetype i = 0; i < paths.size(); ++i)
        keys.emplace_back(collator.sortKey(paths[i].toCaseFolded()), i);
    std::stable_sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList sorted;
    sorted.reserve(paths.size());
    for (const auto &k : keys)
        sorted.append(std::move(paths[k.second]));
    paths = std::move(sorted);
}

QString pageLabel(int page, int lastPage) { return QString::asprintf("%3.3d/%3.3d", page + 1, lastPage + 1); }

} // namespace library
