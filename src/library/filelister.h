#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace library {

constexpr int kSlotsPerPage = 5;

// Whether the first two bytes make a file of the kind: "BM" for BMP (0), FF D8 for JPG (1). AVI (2)
// files are not checked. A file that cannot be read is no file of a picture kind.
bool hasKindHeader(const QString &path, int kind);

// The same test for `name` in the folder open as `dirFd` (openat semantics).
bool hasKindHeaderAt(int dirFd, const char *name, int kind);

// Case-insensitive "*.ext" in the way the platform's wild cards matched names: ASCII folding.
bool nameHasExtension(QByteArrayView name, QByteArrayView extension);

// The extensions of a kind in listing order: "bmp"; "jpg" then "jpeg"; "avi". Empty for others.
QList<QByteArray> kindExtensions(int kind);

// FindFiles: appends the files of `folder` (not its sub-folders) whose extension is `extension`,
// compared without regard to case, and that pass the header test of `kind`. Each entry is
// folder + "/" + name. An empty extension adds nothing; an unreadable folder adds nothing.
void FindFiles(const QString &folder, const QString &extension, int kind, QStringList &out);

// The files of one kind as the browser lists them: BMP "bmp"; JPG "jpg" then "jpeg"; AVI "avi";
// sorted by sortLibraryPaths. Every file's signature is read; ListingCache lists the same way and
// reads only what changed since its last listing.
QStringList listLibraryFiles(const QString &folder, int kind);

// Ascending by the full path, case-insensitively, in the user's locale order. With the capture
// names this is the order of capture: date, then number.
void sortLibraryPaths(QStringList &paths);

// The last page index: (count - 1) / 5, truncating toward zero, so 0 for an empty folder.
constexpr int lastPageOf(int count) { return (count - 1) / kSlotsPerPage; }

// "%3.3d/%3.3d" of the 1-based page and page count: "001/001" for an empty folder.
QString pageLabel(int page, int lastPage);

} // namespace library
