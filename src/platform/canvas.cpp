#include "platform/canvas.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// Box of an outline drawn with a 1-pixel pen: QPainter's outline of QRect(l, t, w, h) covers
// l..l+w, so the box (l, t, r, b) without its right and bottom edges is QRect(l, t, r-l-1, b-t-1).
QRect outlineBox(int left, int top, int right, int bottom)
{
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    return QRect(left, top, right - left - 1, bottom - top - 1);
}

double screenAngleDeg(double cx, double cy, int x, int y)
{
    return std::atan2(-(double(y) - cy), double(x) - cx) * 180.0 / 3.141592653589793;
}

} // namespace

BitmapCanvas::BitmapCanvas(platform::Bitmap &bitmap) : painter_(&bitmap.image())
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    painter_.setBrush(Qt::NoBrush);
    painter_.setBackgroundMode(Qt::TransparentMode);
    setPen(1, 1, 0);
    setFont(11, false);
}

BitmapCanvas::~BitmapCanvas() = default;

void BitmapCanvas::setPen(int styleCode, int width, platform::ColorRef colour)
{
    pen_ = QPen(QColor::fromRgb(platform::toQRgb(colour)));
    pen_.setWidth(std::max(1, width));
    // A flat cap leaves out the last pixel of a 1-pixel line, as lineTo must; wider pens get round
    // ends like the classic geometric pen.
    pen_.setCapStyle(width <= 1 ? Qt::FlatCap : Qt::RoundCap);
    pen_.setJoinStyle(Qt::RoundJoin);
    switch (styleCode) {
    case 2: pen_.setDashPattern({18, 6}); break;
    case 3: pen_.setDashPattern({3, 3}); break;
    case 4: pen_.setDashPattern({9, 6, 3, 6}); break;
    case 5: pen_.setDashPattern({9, 3, 3, 3, 3, 3}); break;
    default: pen_.setStyle(Qt::SolidLine); break;
    }
    painter_.setPen(pen_);
}

void BitmapCanvas::moveTo(int x, int y)
{
    current_ = QPoint(x, y);
}

void BitmapCanvas::lineTo(int x, int y)
{
    const QPoint to(x, y);
    if (to != current_)
        painter_.drawLine(current_, to);
    current_ = to;
}

void BitmapCanvas::ellipse(int left, int top, int right, int bottom)
{
    painter_.drawEllipse(outlineBox(left, top, right, bottom));
}

void BitmapCanvas::rectangle(int left, int top, int right, int bottom)
{
    painter_.drawRect(outlineBox(left, top, right, bottom));
}

void BitmapCanvas::arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye)
{
    const QRect box = outlineBox(left, top, right, bottom);
    const double cx = (left + right) / 2.0;
    const double cy = (top + bottom) / 2.0;
    const double start = screenAngleDeg(cx, cy, xs, ys);
    double span = screenAngleDeg(cx, cy, xe, ye) - start;
    while (span <= 0.0)
        span += 360.0;   // equal radials draw the whole ellipse
    while (span > 360.0)
        span -= 360.0;
    painter_.drawArc(box, int(std::lround(start * 16.0)), int(std::lround(span * 16.0)));
}

void BitmapCanvas::fillRect(int left, int top, int right, int bottom, platform::ColorRef colour)
{
    painter_.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), QColor::fromRgb(platform::toQRgb(colour)));
}

void BitmapCanvas::setFont(int pixelSize, bool bold)
{
    font_ = QFont();
    font_.setPixelSize(pixelSize);
    font_.setBold(bold);
    font_.setStyleStrategy(QFont::NoAntialias);
    painter_.setFont(font_);
}

void BitmapCanvas::setTextColour(platform::ColorRef colour)
{
    textColour_ = QColor::fromRgb(platform::toQRgb(colour));
}

void BitmapCanvas::textOut(int x, int y, const QString &text)
{
    painter_.setPen(textColour_);
    painter_.drawText(x, y + QFontMetrics(font_).ascent(), text);
    painter_.setPen(pen_);
}

int BitmapCanvas::textWidth(const QString &text)
{
    return QFontMetrics(font_).horizontalAdvance(text);
}

int BitmapCanvas::textHeight(const QString &)
{
    return QFontMetrics(font_).height();
}

} // namespace platform
