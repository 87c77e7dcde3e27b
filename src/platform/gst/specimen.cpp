#include "specimen.h"

#include <QPainter>

#include <algorithm>

namespace platform {

double specimenPixelsPerDivision(int width) { return width / 128.0; }

namespace {

void paintSpecimen(QPainter &p, int width, int height)
{
    // Backlight: a soft vignette from the centre.
    QRadialGradient light(width / 2.0, height / 2.0, std::max(width, height) * 0.7);
    light.setColorAt(0, QColor(236, 232, 214));
    light.setColorAt(1, QColor(170, 164, 140));
    p.fillRect(QRect(0, 0, width, height), light);

    const double div = specimenPixelsPerDivision(width);
    const double x0 = (width - 100 * div) / 2;   // 100 divisions = 1 mm, centred
    const double baseY = height * 0.42;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 28, 36));
    p.drawRect(QRectF(x0, baseY - div * 0.15, 100 * div, std::max(1.0, div * 0.3)));
    for (int i = 0; i <= 100; ++i) {
        const double len = (i % 10 == 0) ? div * 8 : (i % 5 == 0) ? div * 5.5 : div * 3.5;
        p.drawRect(QRectF(x0 + i * div - std::max(0.5, div * 0.12), baseY - len, std::max(1.0, div * 0.24), len));
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(8, int(div * 3)));
    p.setFont(font);
    p.setPen(QColor(28, 28, 36));
    for (int i = 0; i <= 10; ++i)
        p.drawText(QPointF(x0 + i * 10 * div - div, baseY - div * 9.5), QString::number(i * 10));

    // Particles: fixed places and sizes relative to the picture, darker rims.
    struct Particle {
        double x, y, r;
    };
    const Particle particles[] = {{0.22, 0.70, 4.0}, {0.48, 0.78, 2.5}, {0.71, 0.66, 6.0}, {0.85, 0.84, 3.0}, {0.12, 0.18, 3.5}};
    for (const Particle &pt : particles) {
        const QPointF c(pt.x * width, pt.y * height);
        const double r = pt.r * div;
        QRadialGradient g(c, r);
        g.setColorAt(0, QColor(120, 86, 60));
        g.setColorAt(0.8, QColor(82, 56, 38));
        g.setColorAt(1, QColor(40, 28, 20));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(c, r, r);
    }
}

} // namespace

QImage drawSpecimen(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    // Painted in bands of a few rows: Qt's raster engine hands a fill of more than about a hundred
    // rows to its thread pool, whose hand-offs ThreadSanitizer cannot see, so every later read of
    // the picture was reported (and suppressed) at a cost of minutes per picture. A band clip
    // keeps every fill on this thread; without antialiasing each pixel comes out the same.
    constexpr int kBandRows = 32;
    for (int top = 0; top < height; top += kBandRows) {
        p.save();
        p.setClipRect(QRect(0, top, width, std::min(kBandRows, height - top)));
        paintSpecimen(p, width, height);
        p.restore();
    }
    return image;
}

} // namespace platform
