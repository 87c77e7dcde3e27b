#include "measure/lineprofile.h"

#include "measure/geometry.h"
#include "measure/labels.h"
#include "measure/resultstable.h"
#include "platform/atomicfile.h"
#include "platform/luma.h"
#include "scales/rulerscale.h"

#include <QImage>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace measure {

namespace {

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb bilinear(const QImage &picture, double x, double y)
{
    const int w = picture.width(), h = picture.height();
    x = std::clamp(x, 0.0, double(w - 1));
    y = std::clamp(y, 0.0, double(h - 1));
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
    const double fx = x - x0, fy = y - y0;
    const auto *top = reinterpret_cast<const QRgb *>(picture.constScanLine(y0));
    const auto *bottom = reinterpret_cast<const QRgb *>(picture.constScanLine(y1));
    const auto mix = [&](int (*channel)(QRgb)) {
        const double upper = channel(top[x0]) * (1 - fx) + channel(top[x1]) * fx;
        const double lower = channel(bottom[x0]) * (1 - fx) + channel(bottom[x1]) * fx;
        return upper * (1 - fy) + lower * fy;
    };
    return {mix(qRed), mix(qGreen), mix(qBlue)};
}

QString number(double v) { return QString::number(v, 'g', QLocale::FloatingPointShortest); }

QString pointText(QPointF p) { return number(p.x()) + u' ' + number(p.y()); }

} // namespace

LineProfile sampleLineProfile(const QImage &picture, QPointF from, QPointF to, const scales::RulerScaleControl &scale)
{
    LineProfile out;
    out.from = from;
    out.to = to;
    out.picture = picture.size();
    out.scaleName = scale.name;
    out.scaleUnitIndex = int(scale.unit);
    if (picture.isNull())
        return out;
    const QImage src = picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    const std::optional<ScaleFactors> f =
        ScaleFactorsFor(scale.hLength, scale.vLength, src.size(), src.size(), src.size(), true);
    out.calibrated = f && f->sx > 0 && f->sy > 0;
    out.pixelWidth = out.calibrated ? double(f->sx) : 1.0;
    out.pixelHeight = out.calibrated ? double(f->sy) : 1.0;
    out.unit = out.calibrated ? GetUnitStr(unitCodeFor(out.scaleUnitIndex, true)) : QStringLiteral("px");
    const double dx = to.x() - from.x(), dy = to.y() - from.y();
    out.length = std::hypot(dx * out.pixelWidth, dy * out.pixelHeight);
    const int steps = std::max(1, int(std::ceil(std::hypot(dx, dy))));
    out.samples.reserve(std::size_t(steps) + 1);
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const Rgb c = bilinear(src, from.x() + t * dx, from.y() + t * dy);
        ProfileSample s;
        s.distance = t * out.length;
        s.red = c.r;
        s.green = c.g;
        s.blue = c.b;
        s.intensity = platform::lumaOf(c.r, c.g, c.b);
        out.samples.push_back(s);
    }
    return out;
}

QByteArray lineProfileCsv(const LineProfile &p)
{
    QString out;
    const auto line = [&out](const QStringList &fields) { out += csvLine(fields); };
    const QString unit = QStringLiteral(" (") + p.unit + u')';
    line({QStringLiteral("scale"), p.scaleName});
    line({QStringLiteral("unit"), p.unit});
    line({QStringLiteral("pixel width") + unit, number(p.pixelWidth)});
    line({QStringLiteral("pixel height") + unit, number(p.pixelHeight)});
    line({QStringLiteral("picture width (px)"), QString::number(p.picture.width())});
    line({QStringLiteral("picture height (px)"), QString::number(p.picture.height())});
    line({QStringLiteral("line start (px)"), pointText(p.from)});
    line({QStringLiteral("line end (px)"), pointText(p.to)});
    line({QStringLiteral("line length") + unit, number(p.length)});
    out += QStringLiteral("\r\n");
    line({QStringLiteral("Distance") + unit, QStringLiteral("Intensity"), QStringLiteral("Red"), QStringLiteral("Green"),
          QStringLiteral("Blue")});
    for (const ProfileSample &s : p.samples)
        line({number(s.distance), number(s.intensity), number(s.red), number(s.green), number(s.blue)});
    return out.toUtf8();
}

std::error_code writeLineProfileCsv(const QString &path, const LineProfile &profile)
{
    const QByteArray bytes = lineProfileCsv(profile);
    return platform::writeFileAtomically(path, bytes.constData(), std::size_t(bytes.size()));
}

} // namespace measure
