#include "measure/ui/profileplotwidget.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace measure::ui {

namespace {

constexpr int kLeft = 44, kRight = 14, kTop = 10, kBottom = 36;

// Decimals that show a step of `step` without rounding it away.
int decimalsFor(double step) { return std::clamp(int(std::ceil(-std::log10(step) - 1e-9)), 0, 6); }

} // namespace

ProfilePlotWidget::ProfilePlotWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ProfilePlot"));
    setMinimumSize(320, 180);
}

void ProfilePlotWidget::setProfile(LineProfile profile)
{
    profile_ = std::move(profile);
    update();
}

void ProfilePlotWidget::setAxisTitles(const QString &distance, const QString &intensity)
{
    distanceTitle_ = distance;
    intensityTitle_ = intensity;
    update();
}

QRect ProfilePlotWidget::plotArea() const
{
    return QRect(QPoint(kLeft, kTop), QPoint(width() - kRight - 1, height() - kBottom - 1));
}

QPointF ProfilePlotWidget::pointOf(double distance, double intensity) const
{
    const QRectF area = plotArea();
    const double length = profile_.length > 0 ? profile_.length : 1.0;
    return QPointF(area.left() + area.width() * distance / length, area.bottom() - area.height() * intensity / 255.0);
}

double ProfilePlotWidget::tickStep(double range, int ticks)
{
    if (!(range > 0) || ticks < 1)
        return 1.0;
    const double raw = range / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= raw * (1 - 1e-9))
            return m * power;
    return 10 * power;
}

void ProfilePlotWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QRect area = plotArea();
    QFont f = font();
    f.setPixelSize(11);
    p.setFont(f);
    const QColor grid(0xE0, 0xE6, 0xE9), ink(0x37, 0x47, 0x4F);
    // Intensity: every 50 levels.
    for (int level = 0; level <= 250; level += 50) {
        const int y = int(std::lround(pointOf(0, level).y()));
        p.setPen(grid);
        p.drawLine(area.left(), y, area.right(), y);
        p.setPen(ink);
        p.drawText(QRect(0, y - 7, kLeft - 6, 14), Qt::AlignRight | Qt::AlignVCenter, QString::number(level));
    }
    // Distance: steps of 1, 2 or 5 in the profile's unit.
    if (profile_.length > 0) {
        const double step = tickStep(profile_.length, 6);
        const int decimals = decimalsFor(step);
        for (int i = 0; i * step <= profile_.length * (1 + 1e-9); ++i) {
            const int x = int(std::lround(pointOf(i * step, 0).x()));
            p.setPen(grid);
            p.drawLine(x, area.top(), x, area.bottom());
            p.setPen(ink);
            p.drawLine(x, area.bottom(), x, area.bottom() + 4);
            p.drawText(QRect(x - 40, area.bottom() + 5, 80, 13), Qt::AlignHCenter | Qt::AlignTop,
                       QString::number(i * step, 'f', decimals));
        }
    }
    p.setPen(ink);
    p.drawRect(area.adjusted(0, 0, -1, -1));
    p.drawText(QRect(area.left(), height() - 16, area.width(), 14), Qt::AlignHCenter | Qt::AlignVCenter,
               profile_.unit.isEmpty() ? distanceTitle_ : distanceTitle_ + QStringLiteral(" (") + profile_.unit + u')');
    p.save();
    p.translate(11, area.center().y());
    p.rotate(-90);
    p.drawText(QRect(-area.height() / 2, -7, area.height(), 14), Qt::AlignCenter, intensityTitle_);
    p.restore();
    if (profile_.samples.empty())
        return;
    QPainterPath curve(pointOf(profile_.samples.front().distance, profile_.samples.front().intensity));
    for (const ProfileSample &s : profile_.samples)
        curve.lineTo(pointOf(s.distance, s.intensity));
    p.setClipRect(area);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(0x15, 0x65, 0xC0), 1.5));
    p.drawPath(curve);
}

} // namespace measure::ui
