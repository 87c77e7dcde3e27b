#include "stackfolder.h"

#include "platform/picturecodec.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace stack {

QStringList stackFolderPictures(const QString &folder)
{
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return {};
    QStringList names = dir.entryList(QDir::Files | QDir::Readable | QDir::Hidden, QDir::NoSort);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) { return a.compare(b) < 0; });
    QStringList paths;
    for (const QString &name : names) {
        if (name.startsWith(QLatin1String(kStackNamePrefix)))
            continue;
        const QString path = dir.filePath(name);
        if (platform::sniffPictureFile(path) != platform::PictureKind::Unknown)
            paths.push_back(path);
    }
    return paths;
}

StackInput filesInput(const QStringList &paths)
{
    StackInput input;
    input.count = int(paths.size());
    input.load = [paths](int index) {
        StackFrame frame;
        if (index < 0 || index >= paths.size()) {
            frame.error = QStringLiteral("no frame %1").arg(index);
            return frame;
        }
        const QString &path = paths[index];
        platform::DecodedPicture d = platform::readPictureFile(path);
        if (d.ok())
            frame.picture = std::move(d.bitmap);
        else
            frame.error = QFileInfo(path).fileName() + QStringLiteral(": ") + platform::pictureErrorText(d.error)
                          + (d.detail.isEmpty() ? QString() : QStringLiteral(" (") + d.detail + u')');
        return frame;
    };
    return input;
}

} // namespace stack
