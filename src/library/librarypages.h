#pragma once

#include "filelister.h"
#include "listingcache.h"

#include <QString>
#include <QStringList>

#include <array>

namespace library {

// The browser's bookkeeping for the three kinds (0 BMP, 1 JPG, 2 AVI), without pictures: the
// sorted list, the current and last page, the five paths shown, and the new-file marks through
// which a save or a recording start turns the page to its new file.
class LibraryPages
{
public:
    struct Kind {
        QStringList files;
        int page = 0;
        int lastPage = 0;
        std::array<QString, kSlotsPerPage> slots;   // empty: nothing in that slot
    };

    // FileList's steps 1 to 3 and the slot paths of step 4: lists `folder`, follows a pending
    // new-file mark, pulls the page back to the last one when files disappeared. The listing
    // remembers each file's signature by name, size, modification time and inode, so a refresh
    // opens only new or changed files; the count stays exact.
    const Kind &refresh(int kind, const QString &folder);

    // The up-down control's halves; false (and nothing to refresh) at either end.
    bool previous(int kind);
    bool next(int kind);

    // A save or a recording start: the next refresh of that kind shows the page holding `path`.
    void markNewFile(int kind, const QString &path);
    bool hasMark(int kind) const { return valid(kind) && marks_[kind]; }
    const QString &lastPath(int kind) const { return lastPaths_[kind]; }

    QString label(int kind) const { return pageLabel(kinds_[kind].page, kinds_[kind].lastPage); }
    const Kind &kind(int kind) const { return kinds_[kind]; }

    static bool valid(int kind) { return kind >= 0 && kind < 3; }

private:
    std::array<Kind, 3> kinds_;
    std::array<ListingCache, 3> listings_;
    std::array<bool, 3> marks_{};
    std::array<QString, 3> lastPaths_;
};

} // namespace library
