#include "trash.h"

#include "filelister.h"
#include "platform/diagnosticslog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace library {

namespace {

// Where a trashed file lives on a freedesktop.org desktop: the home trash
// ($XDG_DATA_HOME/Trash/files) or a top-folder trash (.Trash/<uid>/files, .Trash-<uid>/files).
bool isInsideATrash(const QString &path)
{
    return QFileInfo(path).isAbsolute() &&
           (path.contains(u"/Trash/files/") || path.contains(u"/.Trash-") || path.contains(u"/.Trash/"));
}

} // namespace

bool SystemTrash::moveToTrash(const QString &path)
{
    // The home trash's parent must exist: Qt 6.4 will not create it, and without it the file ends
    // up in a "files" folder below the working directory instead of in a trash.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir().mkpath(dataHome)) {
        log_.append(QStringLiteral("No trash folder (%1) for %2; the file is kept").arg(dataHome, path));
        return false;
    }

    QFile file(path);
    if (!file.moveToTrash()) {
        log_.append(QStringLiteral("Cannot move %1 to the trash: %2; the file is kept").arg(path, file.errorString()));
        return false;
    }
    const QString trashed = file.fileName();
    if (isInsideATrash(trashed))
        return true;
    // Moved somewhere that is no trash: put it back rather than lose track of it.
    QFile::rename(trashed, path);
    log_.append(QStringLiteral("No trash for %1 (it went to %2); the file is kept").arg(path, trashed));
    return false;
}

DeleteOutcome deleteToTrash(Trash &trash, const QString &path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return DeleteOutcome::NothingToDelete;
    return trash.moveToTrash(path) ? DeleteOutcome::Trashed : DeleteOutcome::Failed;
}

DeleteAllResult deleteAllOfKind(Trash &trash, const QString &folder, int kind, platform::DiagnosticsLog &log)
{
    DeleteAllResult result;
    for (const QString &path : listLibraryFiles(folder, kind)) {
        if (deleteToTrash(trash, path) == DeleteOutcome::Failed) {
            log.exceptionAt(QStringLiteral("DeleteAllFile1Click"));
            result.stopped = true;
            break;
        }
        ++result.trashed;
    }
    return result;
}

} // namespace library
