#pragma once

#include "thumbnailcache.h"

#include <QByteArray>
#include <QCollatorSortKey>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace library {

// Lists the files of one kind in one folder, exactly as listLibraryFiles() does (extension,
// content signature, locale order), and remembers between listings what it learnt of each file:
// whether its first two bytes make it a file of the kind, and its sort key, by name, size,
// modification time and inode. A refresh then stats each file (which is what keeps the count
// exact: a file that was rewritten, replaced or renamed over shows a new stamp and is read again)
// but opens only the files that are new or changed, and sorts again only when the set of files
// changed.
//
// One object per browser page; UI thread only.
class ListingCache
{
public:
    QStringList list(const QString &folder, int kind);

    // How many files the last list() opened to read their signature (for tests).
    int signaturesRead() const { return signaturesRead_; }

private:
    struct Entry {
        FileStamp stamp;
        bool ofKind = false;
        std::optional<QCollatorSortKey> key;
    };
    // One listed candidate in the order the folder gave it (the first extension's files first).
    struct Candidate {
        QByteArray name;
        bool ofKind = false;
    };

    QString folder_;
    int kind_ = -1;
    QString locale_;
    QHash<QByteArray, Entry> entries_;
    std::vector<Candidate> lastCandidates_;
    QStringList lastList_;
    int signaturesRead_ = 0;
};

} // namespace library
