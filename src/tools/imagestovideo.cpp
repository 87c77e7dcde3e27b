#include "imagestovideo.h"

#include "platform/picturecodec.h"

#include <QDir>

#include <algorithm>

namespace tools {

int framePeriodMs(int framesPerSecond)
{
    return 1000 / std::clamp(framesPerSecond, kMinFrameRate, kMaxFrameRate);
}

QStringList listPictures(const QString &folder, bool jpg)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({jpg ? QStringLiteral("*.jpg") : QStringLiteral("*.bmp")},
                                            QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    const platform::PictureKind wanted = jpg ? platform::PictureKind::Jpeg : platform::PictureKind::Bmp;
    QStringList pictures;
    for (const QString &name : names)
        if (platform::sniffPictureFile(dir.filePath(name)) == wanted)
            pictures.append(name);
    return pictures;
}

int startIndex(int count, bool reverse) { return reverse ? std::max(count - 1, 0) : 0; }

std::optional<int> nextIndex(int index, int count, bool reverse, bool repeat)
{
    const int next = reverse ? index - 1 : index + 1;
    if (next >= 0 && next < count)
        return next;
    if (repeat && count > 0)
        return startIndex(count, reverse);
    return std::nullopt;
}

} // namespace tools
