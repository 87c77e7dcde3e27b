#pragma once

#include <QString>

namespace platform {
class DiagnosticsLog;
}

namespace library {

// The desktop's recycle bin. A file that cannot go there stays where it is: nothing in the
// program deletes a capture for good.
class Trash
{
public:
    virtual ~Trash() = default;
    // True when the file is now in the trash.
    virtual bool moveToTrash(const QString &path) = 0;
};

// The freedesktop.org trash below $XDG_DATA_HOME, through QFile::moveToTrash. A refusal (no trash
// on that file system, no permission) is logged and the file kept.
class SystemTrash final : public Trash
{
public:
    explicit SystemTrash(platform::DiagnosticsLog &log) : log_(log) {}
    bool moveToTrash(const QString &path) override;

private:
    platform::DiagnosticsLog &log_;
};

enum class DeleteOutcome { Unknown, Trashed, NothingToDelete, Failed };

// DeleteFileA with recycling: nothing happens for an empty path or a missing file.
DeleteOutcome deleteToTrash(Trash &trash, const QString &path);

struct DeleteAllResult {
    int trashed = 0;
    bool stopped = false;   // a file refused to go; the ones after it were left alone
};
// "Delete All Files": every file of `kind` in `folder`, as the browser lists them, one by one in
// list order. The first refusal stops the loop and is logged as the operation names it.
DeleteAllResult deleteAllOfKind(Trash &trash, const QString &folder, int kind, platform::DiagnosticsLog &log);

} // namespace library
