#include "measure/shaperescaler.h"

#include <algorithm>

namespace measure {

std::optional<std::pair<float, float>> windowChangeScale(QSize current, QSize picture, QSize reference, bool &rescaled)
{
    const int cw = current.width(), ch = current.height();
    const int pw = picture.width(), ph = picture.height();
    const int qw = reference.width(), qh = reference.height();
    if (qw <= 0 || qh <= 0)
        return std::nullopt;
    if (cw >= pw) {
        rescaled = false;
        if (qw < pw)
            return std::pair{float(pw) / float(qw), float(ph) / float(qh)};
        return std::nullopt;
    }
    if (cw > qw) {
        rescaled = true;
        return std::pair{float(cw) / float(qw), float(ch) / float(qh)};
    }
    if (rescaled)
        return std::pair{float(cw) / float(qw), float(ch) / float(qh)};
    const QSize ref = pw < qw ? picture : reference;
    if (ref.width() <= 0 || ref.height() <= 0)
        return std::nullopt;
    return std::pair{float(cw) / float(ref.width()), float(ch) / float(ref.height())};
}

void ShapeRescaler::setGeometry(QSize window, QSize picture)
{
    window_ = window;
    picture_ = picture;
    if (!reference_.isValid() || reference_.isEmpty())
        reference_ = window;
}

void ShapeRescaler::resize(QSize window)
{
    reference_ = window_;
    window_ = window;
}

QSize ShapeRescaler::layerSize() const
{
    return window_.width() >= picture_.width() ? picture_ : window_;
}

MeasurePoint ShapeRescaler::mapPoint(QPoint pos) const
{
    if (window_.width() >= picture_.width() && window_.width() > 0 && window_.height() > 0)
        return {float(int(double(picture_.width()) / window_.width() * pos.x())),
                float(int(double(picture_.height()) / window_.height() * pos.y()))};
    return {float(pos.x()), float(pos.y())};
}

std::optional<std::pair<float, float>> ShapeRescaler::takeWindowChange()
{
    const auto factors = windowChangeScale(window_, picture_, reference_, rescaled_);
    reference_ = window_;
    return factors;
}

std::optional<std::pair<float, float>> ShapeRescaler::toPicture(QSize picture) const
{
    if (picture.width() >= window_.width() && window_.width() > 0 && window_.height() > 0)
        return std::pair{float(picture.width()) / float(window_.width()), float(picture.height()) / float(window_.height())};
    return std::nullopt;
}

std::optional<std::pair<float, float>> ShapeRescaler::fromPicture(QSize picture) const
{
    if (picture.width() >= window_.width() && window_.width() > 0 && picture.width() > 0 && picture.height() > 0)
        return std::pair{float(window_.width()) / float(picture.width()), float(window_.height()) / float(picture.height())};
    return std::nullopt;
}

void ShapeRescaler::convert(ShapeDraft &s, float fx, float fy)
{
    const auto scale = [fx, fy](MeasurePoint &p) {
        p.x *= fx;
        p.y *= fy;
    };
    scale(s.a);
    scale(s.b);
    if (usesCAndD(s.kind)) {
        scale(s.c);
        scale(s.d);
    }
    for (int i = 0; i <= std::min(s.nodeCount, kMaxListPoints - 1); ++i)
        scale(s.nodes[i]);
    for (int i = 0; i <= std::min(s.multiCount, kMaxListPoints - 1); ++i)
        scale(s.multi[i]);
    for (int i = 0; i <= std::min(s.polygonCount + 1, kMaxPolygonEntries - 1); ++i)
        scale(s.polygon[i]);
    // A snapped point's stored float is scaled exactly as the record's copy of it, so the two
    // still match; its precise position follows in double.
    for (int i = 0; i < s.snapped.count; ++i) {
        SnappedPoint &e = s.snapped.entries[std::size_t(i)];
        scale(e.stored);
        e.precise = {e.precise.x * double(fx), e.precise.y * double(fy)};
    }
}

} // namespace measure
