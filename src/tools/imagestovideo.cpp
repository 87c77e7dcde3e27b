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

std::optional<UnfitPicture> unfitFirstPicture(const QString &folder, const QStringList &chosen, bool reverse)
{
    const int count = int(chosen.size());
    for (std::optional<int> i = count > 0 ? std::optional<int>(startIndex(count, reverse)) : std::nullopt; i;
         i = nextIndex(*i, count, reverse, false)) {
        const platform::DecodedPicture picture = platform::readPictureFile(QDir(folder).filePath(chosen.at(*i)));
        const QSize size = picture.ok()                                       ? picture.bitmap.size()
                           : picture.error == platform::PictureError::TooLarge ? picture.claimedSize
                                                                               : QSize();
        if (!size.isValid())
            continue;   // unreadable: the writer skips it too
        const bool fits = size.width() >= kMinVideoSide && size.height() >= kMinVideoSide
                          && size.width() <= kMaxVideoSide && size.height() <= kMaxVideoSide;
        if (fits)
            return std::nullopt;
        return UnfitPicture{chosen.at(*i), size};
    }
    return std::nullopt;
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
