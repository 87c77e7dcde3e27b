#include "librarypages.h"

namespace library {

const LibraryPages::Kind &LibraryPages::refresh(int kind, const QString &folder)
{
    Kind &k = kinds_[kind];
    k.files = listings_[kind].list(folder, kind);
    if (marks_[kind]) {
        // A path that is not listed (written elsewhere through the dialog) gives -1 / 5 = page 0.
        k.page = int(k.files.indexOf(lastPaths_[kind])) / kSlotsPerPage;
        marks_[kind] = false;
    }
    k.lastPage = lastPageOf(int(k.files.size()));
    if (k.page > k.lastPage)
        k.page = k.lastPage;
    for (int s = 0; s < kSlotsPerPage; ++s) {
        const qsizetype index = qsizetype(k.page) * kSlotsPerPage + s;
        k.slots[s] = index < k.files.size() ? k.files[index] : QString();
    }
    return k;
}

bool LibraryPages::previous(int kind)
{
    if (!valid(kind) || kinds_[kind].page <= 0)
        return false;
    --kinds_[kind].page;
    return true;
}

bool LibraryPages::next(int kind)
{
    if (!valid(kind) || kinds_[kind].page >= kinds_[kind].lastPage)
        return false;
    ++kinds_[kind].page;
    return true;
}

void LibraryPages::markNewFile(int kind, const QString &path)
{
    if (!valid(kind))
        return;
    lastPaths_[kind] = path;
    marks_[kind] = true;
}

} // namespace library
