#include "specimen.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

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

double specimenBlurSigmaPx(int width, int focus)
{
    const int f = std::clamp(focus, kSpecimenFocusMin, kSpecimenFocusMax);
    return kSpecimenBlurDivisionsPerStep * std::abs(f - kSpecimenFocusSharp) * specimenPixelsPerDivision(width);
}

namespace {

// The normalised taps w[0..radius] of a Gaussian cut at three sigma; w[k] weighs offsets -k and +k.
std::vector<float> gaussianTaps(double sigma)
{
    const int radius = int(std::ceil(3.0 * sigma));
    std::vector<float> taps(std::size_t(radius) + 1);
    double sum = 0;
    for (int k = 0; k <= radius; ++k) {
        const double w = std::exp(-0.5 * k * k / (sigma * sigma));
        taps[std::size_t(k)] = float(w);
        sum += k == 0 ? w : 2 * w;
    }
    for (float &t : taps)
        t = float(t / sum);
    return taps;
}

std::uint8_t toByte(float v) { return std::uint8_t(std::clamp(int(v + 0.5f), 0, 255)); }

} // namespace

QImage gaussianBlurred(const QImage &image, double sigmaPx)
{
    if (image.isNull() || sigmaPx < 1.0 / 3.0)
        return image;
    const QImage src = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    const std::vector<float> taps = gaussianTaps(sigmaPx);
    const int radius = int(taps.size()) - 1;
    const int w = src.width(), h = src.height(), n = w * 4;
    // Columns first, into an 8-bit picture; then rows, each read into a float row with the edge
    // pixels repeated `radius` times on both sides. The inner loops run over whole rows, so the
    // compiler turns them into vector code.
    QImage columns(w, h, QImage::Format_RGB32);
    std::vector<float> acc(static_cast<std::size_t>(n));
    for (int y = 0; y < h; ++y) {
        const uchar *centre = src.constScanLine(y);
        for (int i = 0; i < n; ++i)
            acc[std::size_t(i)] = taps[0] * centre[i];
        for (int k = 1; k <= radius; ++k) {
            const uchar *above = src.constScanLine(std::max(y - k, 0));
            const uchar *below = src.constScanLine(std::min(y + k, h - 1));
            const float t = taps[std::size_t(k)];
            for (int i = 0; i < n; ++i)
                acc[std::size_t(i)] += t * float(int(above[i]) + int(below[i]));
        }
        uchar *out = columns.scanLine(y);
        for (int i = 0; i < n; ++i)
            out[i] = toByte(acc[std::size_t(i)]);
    }
    QImage blurred(w, h, QImage::Format_RGB32);
    std::vector<float> row(static_cast<std::size_t>(n + 8 * radius));
    for (int y = 0; y < h; ++y) {
        const uchar *in = columns.constScanLine(y);
        for (int x = -radius; x < w + radius; ++x) {
            const uchar *p = in + 4 * std::clamp(x, 0, w - 1);
            for (int c = 0; c < 4; ++c)
                row[std::size_t(4 * (x + radius) + c)] = p[c];
        }
        const float *mid = row.data() + 4 * radius;
        for (int i = 0; i < n; ++i)
            acc[std::size_t(i)] = taps[0] * mid[i];
        for (int k = 1; k <= radius; ++k) {
            const float t = taps[std::size_t(k)];
            const float *left = mid - 4 * k, *right = mid + 4 * k;
            for (int i = 0; i < n; ++i)
                acc[std::size_t(i)] += t * (left[i] + right[i]);
        }
        auto *out = reinterpret_cast<quint32 *>(blurred.scanLine(y));
        for (int x = 0; x < w; ++x)
            out[x] = 0xFF000000u | quint32(toByte(acc[std::size_t(4 * x + 2)])) << 16 |
                     quint32(toByte(acc[std::size_t(4 * x + 1)])) << 8 | toByte(acc[std::size_t(4 * x)]);
    }
    return blurred;
}

QImage drawSpecimenAtFocus(int width, int height, int focus, SpecimenRelief)
{
    return gaussianBlurred(drawSpecimen(width, height), specimenBlurSigmaPx(width, focus));
}

} // namespace platform
