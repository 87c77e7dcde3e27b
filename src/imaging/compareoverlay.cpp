#include "imaging/compareoverlay.h"

#include "platform/overlaybitmap.h"
#include "platform/picturecodec.h"

#include <QFile>
#include <QFileInfo>
#include <QRect>

#include <algorithm>
#include <cstring>

namespace imaging {

SplitState splitStart(CompareMode mode, QSize reference)
{
    SplitState s;
    s.maximum = std::max(0, splitsAcross(mode) ? reference.width() : reference.height());
    s.position = s.maximum / 2;
    s.extent = s.position;
    s.offset = s.maximum / 4;
    return s;
}

SplitState splitMoved(const SplitState &current, int position, bool windowMove)
{
    SplitState s = current;
    s.position = position;
    if (s.maximum <= 0) {
        // No reference was loaded: nothing to show, and no division by a zero maximum.
        s.extent = 0;
        s.offset = 0;
    } else if (windowMove) {
        const float fraction = float(s.maximum - s.extent) / float(s.maximum);
        s.offset = int(float(position) * fraction);
    } else {
        s.extent = position;
        s.offset = (s.maximum - position) / 2;
    }
    return s;
}

float transparencyAlpha(int position, int maximum)
{
    return maximum > 0 ? float(position) / float(maximum) : 1.0f;
}

platform::Bitmap splitPicture(const platform::Bitmap &reference, CompareMode mode, int extent, int offset,
                              platform::ColorRef knockout)
{
    if (reference.isNull())
        return platform::Bitmap();
    const int w = reference.width(), h = reference.height();
    platform::Bitmap out(w, h, knockout);
    QRect from, to;
    switch (mode) {
    case CompareMode::LeftRight:
        from = QRect(offset, 0, extent, h);
        to = QRect(0, 0, extent, h);
        break;
    case CompareMode::RightLeft:
        from = QRect(offset, 0, extent, h);
        to = QRect(w - extent, 0, extent, h);
        break;
    case CompareMode::TopBottom:
        from = QRect(0, offset, w, extent);
        to = QRect(0, 0, w, extent);
        break;
    case CompareMode::BottomTop:
        from = QRect(0, offset, w, extent);
        to = QRect(0, h - extent, w, extent);
        break;
    case CompareMode::Blend:
        return reference;
    }
    if (extent <= 0)
        return out;
    // Clip the pair of rectangles to both bitmaps: what falls outside either is not copied.
    const QPoint shift = to.topLeft() - from.topLeft();
    const QRect copied = from.intersected(reference.image().rect()).intersected(to.intersected(out.image().rect()).translated(-shift));
    for (int y = copied.top(); y <= copied.bottom(); ++y)
        std::memcpy(out.scanLine(y + shift.y()) + std::size_t(copied.left() + shift.x()) * 4,
                    reference.constScanLine(y) + std::size_t(copied.left()) * 4, std::size_t(copied.width()) * 4);
    return out;
}

platform::DecodedPicture readReference(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("bmp") && suffix != QLatin1String("jpg"))
        return {platform::Bitmap(), platform::PictureError::NotRecognised, QStringLiteral("extension ") + suffix};
    return platform::readPictureFile(path, {},
                                     suffix == QLatin1String("bmp") ? platform::PictureKind::Bmp : platform::PictureKind::Jpeg);
}

platform::Bitmap loadReference(const QString &path)
{
    const platform::DecodedPicture picture = readReference(path);
    return picture.ok() ? picture.bitmap : platform::Bitmap();
}

CompareOverlay::CompareOverlay(platform::OverlayBitmap &overlay) : overlay_(overlay) {}

const platform::DecodedPicture &CompareOverlay::reference(const QString &path)
{
    const QFileInfo info(path);
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    const qint64 bytes = info.exists() ? info.size() : -1;
    if (path != cachedPath_ || modified != cachedModified_ || bytes != cachedBytes_) {
        cached_ = readReference(path);
        cachedPath_ = path;
        cachedModified_ = modified;
        cachedBytes_ = bytes;
    }
    return cached_;
}

bool CompareOverlay::VMRBitmap_LoadAssignImage(const QString &path, CompareMode buildMode)
{
    const platform::Bitmap &ref = reference(path).bitmap;
    if (buildMode == CompareMode::Blend)
        referenceSize = ref.size();
    if (ref.isNull()) {
        overlay_.VMRBitmap_Clear(referenceSize);
        return false;
    }
    overlay_.load(isSplit(buildMode) ? splitPicture(ref, buildMode, split.extent, split.offset, knockout) : ref);
    overlay_.setKeyColour(knockout);
    // The split modes start opaque (the transparency slider is put to its maximum), but keep the
    // opacity the user sets afterwards when the split moves.
    overlay_.show(alpha);
    return true;
}

void CompareOverlay::VMRBitmap_Transparent(float a)
{
    alpha = a;
    if (!overlay_.bitmap().isNull() && overlay_.visible())
        overlay_.show(alpha);
}

void CompareOverlay::VMRBitmap_Clear(QSize videoSize) { overlay_.VMRBitmap_Clear(videoSize); }

} // namespace imaging
