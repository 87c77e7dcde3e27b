#include "specimen.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {

double specimenPixelsPerDivision(int width) { return width / 128.0; }

namespace {

// `outlinedText`: the numbers are filled as outlines, which follow any transform exactly; the
// glyph cache that drawText uses puts glyphs on whole pixels.
void paintSpecimen(QPainter &p, int width, int height, bool outlinedText)
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
    {
        const QPointF at(x0 + i * 10 * div - div, baseY - div * 9.5);
        if (outlinedText) {
            QPainterPath outline;
            outline.addText(at, font, QString::number(i * 10));
            p.fillPath(outline, QColor(28, 28, 36));
        } else {
            p.drawText(at, QString::number(i * 10));
        }
    }

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


// Paints the specimen into a new picture.
QImage paintSpecimenPicture(int width, int height, bool antialiased)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, antialiased);
    p.setRenderHint(QPainter::TextAntialiasing, antialiased);
    // Painted in bands of a few rows: Qt's raster engine hands a fill of more than about a hundred
    // rows to its thread pool, whose hand-offs ThreadSanitizer cannot see, so every later read of
    // the picture was reported (and suppressed) at a cost of minutes per picture. A band clip
    // keeps every fill on this thread; without antialiasing each pixel comes out the same.
    constexpr int kBandRows = 32;
    for (int top = 0; top < height; top += kBandRows) {
        p.save();
        p.setClipRect(QRect(0, top, width, std::min(kBandRows, height - top)));
        paintSpecimen(p, width, height, antialiased);
        p.restore();
    }
    return image;
}

// The specimen's horizontal position (0 left edge, 1 right edge) under the centre of a pixel column.
double columnFraction(int x, int width, SpecimenPlacement placement)
{
    const double cx = width / 2.0;
    const double specimenX = (x + 0.5 - cx - placement.dx) / placement.scale + cx;
    return specimenX / width;
}

// Gaussian taps for a sigma, normalised, radius ceil(3 sigma); a sigma too small to move any
// weight off the centre gives the identity.
std::vector<float> gaussianTaps(double sigma)
{
    if (sigma < 0.05)
        return {1.0f};
    const int radius = int(std::ceil(3 * sigma));
    std::vector<float> taps(std::size_t(2 * radius + 1));
    double sum = 0;
    for (int k = -radius; k <= radius; ++k)
        sum += taps[std::size_t(k + radius)] = float(std::exp(-0.5 * k * k / (sigma * sigma)));
    for (float &t : taps)
        t = float(t / sum);
    return taps;
}

// Blurs an RGB32 picture, each column with its own sigma. Weights are laid out as one row of
// 4 floats a pixel for every tap offset, zero beyond a column's own radius, so both passes are
// plain multiply-adds over contiguous rows.
QImage blurByColumn(const QImage &sharp, const std::vector<double> &sigmaOfColumn)
{
    const int w = sharp.width(), h = sharp.height();
    int radius = 0;
    std::vector<std::vector<float>> taps(static_cast<std::size_t>(w));
    for (int x = 0; x < w; ++x) {
        taps[std::size_t(x)] = gaussianTaps(sigmaOfColumn[std::size_t(x)]);
        radius = std::max(radius, int(taps[std::size_t(x)].size() / 2));
    }
    if (radius == 0)
        return sharp;
    const std::size_t rowFloats = std::size_t(w) * 4;
    std::vector<float> weights(std::size_t(2 * radius + 1) * rowFloats, 0.0f);
    for (int x = 0; x < w; ++x) {
        const std::vector<float> &t = taps[std::size_t(x)];
        const int r = int(t.size() / 2);
        for (int k = -r; k <= r; ++k)
            for (int c = 0; c < 4; ++c)
                weights[std::size_t(k + radius) * rowFloats + std::size_t(x) * 4 + std::size_t(c)] = t[std::size_t(k + r)];
    }
    std::vector<float> source(rowFloats * std::size_t(h));
    for (int y = 0; y < h; ++y) {
        const uchar *row = sharp.constScanLine(y);
        float *out = source.data() + rowFloats * std::size_t(y);
        for (std::size_t i = 0; i < rowFloats; ++i)
            out[i] = row[i];
    }
    // Down the columns.
    std::vector<float> vertical(source.size());
    for (int y = 0; y < h; ++y) {
        float *out = vertical.data() + rowFloats * std::size_t(y);
        std::fill(out, out + rowFloats, 0.0f);
        for (int k = -radius; k <= radius; ++k) {
            const float *in = source.data() + rowFloats * std::size_t(std::clamp(y + k, 0, h - 1));
            const float *wk = weights.data() + std::size_t(k + radius) * rowFloats;
            for (std::size_t i = 0; i < rowFloats; ++i)
                out[i] += wk[i] * in[i];
        }
    }
    // Along the rows, through a copy padded by the radius with the edge pixels.
    const std::size_t pad = std::size_t(radius) * 4;
    std::vector<float> padded(rowFloats + 2 * pad);
    std::vector<float> line(rowFloats);
    QImage blurred(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const float *in = vertical.data() + rowFloats * std::size_t(y);
        for (std::size_t i = 0; i < pad; ++i) {
            padded[i] = in[i % 4];
            padded[pad + rowFloats + i] = in[rowFloats - 4 + i % 4];
        }
        std::copy(in, in + rowFloats, padded.begin() + std::ptrdiff_t(pad));
        std::fill(line.begin(), line.end(), 0.0f);
        for (int k = -radius; k <= radius; ++k) {
            const float *src = padded.data() + std::ptrdiff_t(pad) + std::ptrdiff_t(k) * 4;
            const float *wk = weights.data() + std::size_t(k + radius) * rowFloats;
            for (std::size_t i = 0; i < rowFloats; ++i)
                line[i] += wk[i] * src[i];
        }
        uchar *out = blurred.scanLine(y);
        for (std::size_t i = 0; i < rowFloats; ++i)
            out[i] = uchar(std::clamp(std::lround(line[i]), 0L, 255L));
        for (int x = 0; x < w; ++x)
            out[x * 4 + 3] = 0xFF;
    }
    return blurred;
}

// The specimen placed in a frame, band-limited: painted with antialiasing at twice the size,
// smoothed there by a Gaussian of 0.8 of its pixels (half a frame pixel's width, against
// aliasing), then sampled bilinearly where each frame pixel's centre falls on the specimen. Qt's
// antialiased edges under a transform land on a sub-pixel grid of their own; sampling one
// picture through the placement keeps every frame an exact function of where it lies.
constexpr int kOversample = 2;

QImage oversampledSpecimen(int width, int height)
{
    const int bw = width * kOversample, bh = height * kOversample;
    return blurByColumn(paintSpecimenPicture(bw, bh, true), std::vector<double>(std::size_t(bw), 0.8));
}

QImage placedSpecimen(const QImage &base, int width, int height, SpecimenPlacement placement)
{
    const int bw = base.width(), bh = base.height();
    QImage image(width, height, QImage::Format_RGB32);
    const double cx = width / 2.0, cy = height / 2.0;
    for (int y = 0; y < height; ++y) {
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double sy = ((y + 0.5 - cy - placement.dy) / placement.scale + cy) * kOversample - 0.5;
        const int y0 = std::clamp(int(std::floor(sy)), 0, bh - 1), y1 = std::min(y0 + 1, bh - 1);
        const double fy = std::clamp(sy - std::floor(sy), 0.0, 1.0);
        const auto *r0 = reinterpret_cast<const QRgb *>(base.constScanLine(y0));
        const auto *r1 = reinterpret_cast<const QRgb *>(base.constScanLine(y1));
        for (int x = 0; x < width; ++x) {
            const double sx = ((x + 0.5 - cx - placement.dx) / placement.scale + cx) * kOversample - 0.5;
            const int x0 = std::clamp(int(std::floor(sx)), 0, bw - 1), x1 = std::min(x0 + 1, bw - 1);
            const double fx = std::clamp(sx - std::floor(sx), 0.0, 1.0);
            auto mix = [&](int shift) {
                const auto c = [shift](QRgb v) { return double((v >> shift) & 0xFF); };
                const double top = c(r0[x0]) * (1 - fx) + c(r0[x1]) * fx;
                const double bottom = c(r1[x0]) * (1 - fx) + c(r1[x1]) * fx;
                return QRgb(std::clamp(std::lround(top * (1 - fy) + bottom * fy), 0L, 255L)) << shift;
            };
            out[x] = 0xFF000000u | mix(16) | mix(8) | mix(0);
        }
    }
    return image;
}

} // namespace

QImage drawSpecimen(int width, int height) { return paintSpecimenPicture(width, height, false); }

double specimenHeight(SpecimenRelief relief, double xFraction)
{
    if (relief == SpecimenRelief::Tilted)
        return 30.0 + 40.0 * xFraction;
    return kSpecimenFocusSharp;
}

double specimenBlurSigma(int width, double focusDistance)
{
    return kSpecimenBlurDivisionsPerUnit * std::abs(focusDistance) * specimenPixelsPerDivision(width);
}

SpecimenRenderer::SpecimenRenderer(int width, int height, SpecimenRelief relief)
    : width_(std::max(width, 1)), height_(std::max(height, 1)), relief_(relief)
{
}

SpecimenRenderer::~SpecimenRenderer() = default;

QImage SpecimenRenderer::allInFocus(SpecimenPlacement placement)
{
    if (relief_ == SpecimenRelief::Flat && placement.isIdentity())
        return drawSpecimen(width_, height_);
    if (base_.isNull())
        base_ = oversampledSpecimen(width_, height_);
    return placedSpecimen(base_, width_, height_, placement);
}

QImage SpecimenRenderer::atFocus(double focus, SpecimenPlacement placement)
{
    const QImage sharp = allInFocus(placement);
    std::vector<double> sigma(static_cast<std::size_t>(width_));
    for (int x = 0; x < width_; ++x)
        sigma[std::size_t(x)] = specimenBlurSigma(width_, focus - specimenHeight(relief_, columnFraction(x, width_, placement)));
    return blurByColumn(sharp, sigma);
}

QImage drawSpecimenAllInFocus(int width, int height, SpecimenRelief relief, SpecimenPlacement placement)
{
    return SpecimenRenderer(width, height, relief).allInFocus(placement);
}

QImage drawSpecimenAtFocus(int width, int height, double focus, SpecimenRelief relief, SpecimenPlacement placement)
{
    return SpecimenRenderer(width, height, relief).atFocus(focus, placement);
}

QImage drawSpecimenAtFocus(int width, int height, int focus, SpecimenRelief relief)
{
    return drawSpecimenAtFocus(width, height, double(focus), relief, SpecimenPlacement{});
}

std::vector<float> specimenHeightMap(int width, int height, SpecimenRelief relief, SpecimenPlacement placement)
{
    std::vector<float> heights(std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0)));
    for (int x = 0; x < width; ++x) {
        const float hx = float(specimenHeight(relief, columnFraction(x, width, placement)));
        for (int y = 0; y < height; ++y)
            heights[std::size_t(y) * std::size_t(width) + std::size_t(x)] = hx;
    }
    return heights;
}

} // namespace platform
