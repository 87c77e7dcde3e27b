#include "editgeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace imaging {

QPoint pointerToPicture(QPoint pointer, QSize picture, QSize control)
{
    if (control.isEmpty())
        return {};
    return {int(double(picture.width()) / control.width() * pointer.x()),
            int(double(picture.height()) / control.height() * pointer.y())};
}

QPoint pictureToPointer(QPoint picturePoint, QSize picture, QSize control)
{
    if (picture.isEmpty())
        return {};
    return {int(double(control.width()) / picture.width() * picturePoint.x()),
            int(double(control.height()) / picture.height() * picturePoint.y())};
}

QPoint clampToVisible(QPoint p, const QRect &control, QSize panel)
{
    int x = p.x(), y = p.y();
    if (x < 1)
        x = 0;
    if (y < 1)
        y = 0;
    if (y >= control.height())
        y = control.height();
    if (x >= control.width())
        x = control.width();
    if (control.top() + y < 1)
        y = -control.top();
    if (control.left() + x < 1)
        x = -control.left();
    if (control.top() + y >= panel.height())
        y = panel.height() - control.top();
    if (control.left() + x >= panel.width())
        x = panel.width() - control.left();
    return {x, y};
}

namespace {

// One axis of the auto-scroll: `pos` the control's left or top, `pointer` in control pixels.
int scrollAxis(int pos, int pointer, int length, int panelLength)
{
    // A control that fits the panel is centred and never scrolls.
    if (length <= panelLength)
        return pos;
    if (-pos >= pointer) {
        pos -= (pointer + pos) / 2;
        if (pos >= 0)
            pos = 0;
    }
    if (pointer >= panelLength - pos) {
        pos -= (pointer - (panelLength - pos)) / 2;
        if (panelLength >= pos + length)
            pos = panelLength - length;
    }
    return pos;
}

} // namespace

QPoint autoScroll(QPoint pointer, const QRect &control, QSize panel)
{
    return {scrollAxis(control.left(), pointer.x(), control.width(), panel.width()),
            scrollAxis(control.top(), pointer.y(), control.height(), panel.height())};
}

QPoint shiftConstrain(QPoint start, QPoint end)
{
    if (std::abs(start.x() - end.x()) < std::abs(start.y() - end.y()))
        return {start.x(), end.y()};
    return {end.x(), start.y()};
}

QPoint squareCorner(QPoint start, QPoint end)
{
    const float dx = float(end.x() - start.x());
    const float dy = float(end.y() - start.y());
    const float side = std::abs(int(dy)) < std::abs(int(dx)) ? std::abs(dx) : std::abs(dy);
    return {int(float(start.x()) + (dx > 0 ? side : -side)), int(float(start.y()) + (dy > 0 ? side : -side))};
}

std::array<QPoint, 2> circleBox(QPoint start, QPoint end)
{
    const float dx = float(end.x() - start.x());
    const float dy = float(end.y() - start.y());
    const float r = std::sqrt(dx * dx + dy * dy);
    const float theta = std::atan2(dy, dx);
    const float cx = float(start.x()) + std::cos(theta) * r / 2;
    const float cy = float(start.y()) + std::sin(theta) * r / 2;
    const float hx = dx > 0 ? r / 2 : -r / 2;
    const float hy = dy > 0 ? r / 2 : -r / 2;
    return {QPoint(int(cx - hx), int(cy - hy)), QPoint(int(cx + hx), int(cy + hy))};
}

platform::Bitmap rotateLeft(const platform::Bitmap &source)
{
    const int w = source.width(), h = source.height();
    platform::Bitmap out(h, w);
    for (int y = 0; y < h; ++y) {
        const auto *row = reinterpret_cast<const quint32 *>(source.constScanLine(y));
        for (int x = 0; x < w; ++x)
            reinterpret_cast<quint32 *>(out.scanLine(w - 1 - x))[y] = row[x];
    }
    return out;
}

platform::Bitmap rotateRight(const platform::Bitmap &source)
{
    const int w = source.width(), h = source.height();
    platform::Bitmap out(h, w);
    for (int y = 0; y < h; ++y) {
        const auto *row = reinterpret_cast<const quint32 *>(source.constScanLine(y));
        for (int x = 0; x < w; ++x)
            reinterpret_cast<quint32 *>(out.scanLine(x))[h - 1 - y] = row[x];
    }
    return out;
}

QPoint PanBounds::clamp(QPoint p) const
{
    return {std::clamp(p.x(), minLeft, std::max(minLeft, maxLeft)), std::clamp(p.y(), minTop, std::max(minTop, maxTop))};
}

PanBounds panBounds(QSize control, QSize panel)
{
    PanBounds b;
    const int dx = panel.width() - control.width();
    const int dy = panel.height() - control.height();
    if (dx > 0)
        b.minLeft = b.maxLeft = dx / 2;
    else
        b.minLeft = dx;
    if (dy > 0)
        b.minTop = b.maxTop = dy / 2;
    else
        b.minTop = dy;
    return b;
}

namespace {

ZoomStep applyStep(const ZoomState &zoom, float divisor, const QRect &control, QSize panel, bool keepCentre)
{
    ZoomStep s;
    s.zoom = zoom;
    s.zoom.divisor = divisor;
    s.stepped = true;
    const QSize size(int(zoom.fitWidth / divisor), int(zoom.fitHeight / divisor));
    QPoint topLeft;
    if (keepCentre && control.width() > 0 && control.height() > 0) {
        const float rx = float(control.left() - panel.width() / 2) / float(control.width());
        const float ry = float(control.top() - panel.height() / 2) / float(control.height());
        topLeft = QPoint(int(float(size.width()) * rx + float(panel.width() / 2)),
                         int(float(size.height()) * ry + float(panel.height() / 2)));
        topLeft = panBounds(size, panel).clamp(topLeft);
    } else {
        topLeft = QPoint((panel.width() - size.width()) / 2, (panel.height() - size.height()) / 2);
    }
    s.control = QRect(topLeft, size);
    return s;
}

} // namespace

namespace {

// The picture at its own size, when that is the way the step goes: zoom in never shrinks the
// view and zoom out never enlarges it (from the fitted view of a large picture the own size
// would be a jump the wrong way). Otherwise nothing changes.
ZoomStep ownSizeUnlessBackwards(const ZoomState &zoom, const QRect &control, QSize picture, bool in)
{
    const bool grows = picture.width() > control.width() || picture.height() > control.height();
    const bool shrinks = picture.width() < control.width() || picture.height() < control.height();
    if (in ? shrinks : grows)
        return {zoom, control, false};
    return {zoom, QRect(control.topLeft(), picture), false};
}

// A divisor step that would move the view the wrong way on either axis (a control not at the
// fitted size over the divisor) changes nothing.
ZoomStep forwardOnly(ZoomStep step, const ZoomState &zoom, const QRect &control, bool in)
{
    const QSize s = step.control.size();
    const bool backwards = in ? (s.width() < control.width() || s.height() < control.height())
                              : (s.width() > control.width() || s.height() > control.height());
    return backwards ? ZoomStep{zoom, control, false} : step;
}

} // namespace

ZoomStep zoomIn(const ZoomState &zoom, const QRect &control, QSize picture, QSize panel, bool keepCentre)
{
    const bool smaller = control.width() < picture.width() || control.height() < picture.height();
    const bool larger = picture.width() > panel.width() || picture.height() > panel.height();
    if (!(smaller && larger))
        return ownSizeUnlessBackwards(zoom, control, picture, true);
    const float divisor = zoom.divisor - 0.1f;
    if (divisor < kMinZoomDivisor - 1e-4f)
        return {zoom, control, false};
    return forwardOnly(applyStep(zoom, divisor, control, panel, keepCentre), zoom, control, true);
}

ZoomStep zoomOut(const ZoomState &zoom, const QRect &control, QSize picture, QSize panel, bool keepCentre)
{
    if (control.width() <= panel.width() && control.height() <= panel.height())
        return ownSizeUnlessBackwards(zoom, control, picture, false);
    return forwardOnly(applyStep(zoom, zoom.divisor + 0.1f, control, panel, keepCentre), zoom, control, false);
}

QRect originalSizeRect(QSize picture, QSize panel)
{
    return {QPoint((panel.width() - picture.width()) / 2, (panel.height() - picture.height()) / 2), picture};
}

namespace {

// One axis of the drop, in picture pixels: `left` the control's left and `panelLength` the
// panel's length, both expressed in picture pixels.
int dropAxis(int press, int release, int paste, int pictureLength, int left, int panelLength)
{
    const int offset = pictureLength < panelLength ? 0 : -left;
    int q = release + offset - press;
    if (q < 1)
        q = 0;
    if (paste + q >= pictureLength)
        q = pictureLength - paste;
    if (q <= -left)
        q = -left;
    if (paste + q >= panelLength - left)
        q = panelLength - left - paste;
    return q;
}

} // namespace

QPoint pasteDropPosition(QPoint press, QPoint release, QSize paste, const QRect &control, QSize picture, QSize panel)
{
    if (control.isEmpty())
        return {};
    const double sx = double(picture.width()) / control.width();
    const double sy = double(picture.height()) / control.height();
    return {dropAxis(press.x(), release.x(), paste.width(), picture.width(), int(control.left() * sx),
                     int(panel.width() * sx)),
            dropAxis(press.y(), release.y(), paste.height(), picture.height(), int(control.top() * sy),
                     int(panel.height() * sy))};
}

PlacedBox placeTextBox(QPoint press, QPoint release, const QRect &control)
{
    PlacedBox b;
    const int w = std::abs(release.x() - press.x());
    const int h = std::abs(release.y() - press.y());
    b.rect = QRect(control.left() + std::min(press.x(), release.x()), control.top() + std::min(press.y(), release.y()), w, h);
    b.shown = w > 15 && h > 15;
    return b;
}

std::array<QPoint, 8> handlePositions(const QRect &box)
{
    const int l = box.left(), t = box.top(), w = box.width(), h = box.height();
    return {QPoint(l, t),           QPoint(l, t - 2 + h / 2),         QPoint(l, t + h - 4),
            QPoint(l - 2 + w / 2, t), QPoint(l - 2 + w / 2, t + h - 4), QPoint(l + w - 4, t),
            QPoint(l + w - 4, t - 2 + h / 2), QPoint(l + w - 4, t + h - 4)};
}

BoxZone boxZone(QPoint pos, QSize box, bool rightButtonDown)
{
    const int x = pos.x(), y = pos.y(), w = box.width(), h = box.height();
    if (x <= 5)
        return y <= 5 ? BoxZone::SizeNwSe : y > h - 6 ? BoxZone::SizeNeSw : BoxZone::SizeWe;
    if (x > w - 6)
        return y <= 5 ? BoxZone::SizeNeSw : y > h - 6 ? BoxZone::SizeNwSe : BoxZone::SizeWe;
    if (y <= 5 || y > h - 6)
        return BoxZone::SizeNs;
    return rightButtonDown ? BoxZone::Move : BoxZone::Text;
}

int edgesForPress(QPoint pos, BoxZone zone, bool rightButton)
{
    if (rightButton)
        return EdgeMove;
    const bool farX = pos.x() > 5, farY = pos.y() > 5;
    switch (zone) {
    case BoxZone::SizeWe:
        return farX ? EdgeRight : EdgeLeft;
    case BoxZone::SizeNwSe:
        return farX ? EdgeBottom | EdgeRight : EdgeTop | EdgeLeft;
    case BoxZone::SizeNs:
        return farY ? EdgeBottom : EdgeTop;
    case BoxZone::SizeNeSw:
        return farX ? EdgeTop | EdgeRight : EdgeBottom | EdgeLeft;
    default:
        return EdgeNone;
    }
}

QRect dragTextBox(const QRect &atPress, int edges, QPoint delta, const QRect &control, QSize panel, QSize minimum)
{
    int left = atPress.left(), top = atPress.top(), width = atPress.width(), height = atPress.height();
    const int controlRight = control.left() + control.width();
    const int controlBottom = control.top() + control.height();
    if (edges & EdgeMove) {
        left += delta.x();
        top += delta.y();
        top = std::max(top, control.top());
        left = std::max(left, control.left());
        if (top + height > controlBottom)
            top = controlBottom - height;
        if (left + width > controlRight)
            left = controlRight - width;
        top = std::max(top, 0);
        left = std::max(left, 0);
        if (top + height > panel.height())
            top = panel.height() - height;
        if (left + width > panel.width())
            left = panel.width() - width;
        return {left, top, width, height};
    }
    // The narrowest and lowest the drag may make the box: the minimum, or the box at press when
    // it was smaller still (an edge never pushes the opposite one).
    const int narrowest = std::min(minimum.width(), atPress.width());
    const int lowest = std::min(minimum.height(), atPress.height());
    if (edges & EdgeLeft) {
        const int right = atPress.left() + atPress.width();
        left = std::min(std::max({atPress.left() + delta.x(), control.left(), 0}), right - narrowest);
        width = right - left;
    }
    if (edges & EdgeRight) {
        width = std::max(atPress.width() + delta.x(), narrowest);
        if (left + width >= controlRight)
            width = control.width() - std::abs(left - control.left());
        if (left + width >= panel.width())
            width = panel.width() - left;
    }
    if (edges & EdgeTop) {
        const int bottom = atPress.top() + atPress.height();
        top = std::min(std::max({atPress.top() + delta.y(), control.top(), 0}), bottom - lowest);
        height = bottom - top;
    }
    if (edges & EdgeBottom) {
        height = std::max(atPress.height() + delta.y(), lowest);
        if (top + height >= controlBottom)
            height = control.height() - std::abs(top - control.top());
        if (top + height >= panel.height())
            height = panel.height() - top;
    }
    return {left, top, std::max(width, 1), std::max(height, 1)};
}

QRect grownTextBox(const QRect &box, const std::vector<int> &lineLengths, int fontHeight)
{
    QRect r = box;
    const int size = std::abs(fontHeight);
    for (int chars : lineLengths) {
        const double needed = (size - 0.5) * 0.5 * chars;
        if (r.width() < needed)
            r.setWidth(int(needed));
    }
    const int lines = int(lineLengths.size());
    if (lines * (size + 4) >= r.height())
        r.setHeight((size + 4) * lines);
    return r;
}

int fontHeightForPointSize(int points) { return -((points * 96 + 36) / 72); }

int textLineTop(int i, int fontHeight) { return i * (4 - fontHeight); }

} // namespace imaging
