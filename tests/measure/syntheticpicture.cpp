#include "syntheticpicture.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

namespace measure::testing {
namespace {

// Integral of sqrt(r^2 - x^2).
double halfChordIntegral(double x, double r)
{
    const double c = std::clamp(x / r, -1.0, 1.0);
    return 0.5 * (x * std::sqrt(std::max(0.0, r * r - x * x)) + r * r * std::asin(c));
}

// Gaussian noise from a fixed seed, by Box-Muller over the engine's raw output, so the pictures
// are the same with every standard library.
class Noise
{
public:
    Noise(std::uint32_t seed, double sigma) : engine_(seed), sigma_(sigma) {}
    double next()
    {
        if (sigma_ <= 0)
            return 0;
        const double u1 = (double(engine_()) + 0.5) / 4294967296.0;
        const double u2 = (double(engine_()) + 0.5) / 4294967296.0;
        return sigma_ * std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }

private:
    std::mt19937 engine_;
    double sigma_;
};

platform::Bitmap render(int width, int height, const Greys &greys, const std::function<double(int, int)> &coverage)
{
    platform::Bitmap b(width, height, 0);
    Noise noise(greys.seed, greys.noiseSigma);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double v = greys.background + (greys.shape - greys.background) * coverage(x, y) + noise.next();
            const int g = std::clamp(int(std::lround(v)), 0, 255);
            b.setPixel(x, y, platform::rgbColor(g, g, g));
        }
    return b;
}

// Clips a convex polygon to n.p <= limit (or >= with flip).
std::vector<PrecisePoint> clip(const std::vector<PrecisePoint> &poly, PrecisePoint n, double limit, bool keepBelow)
{
    std::vector<PrecisePoint> out;
    const auto side = [&](PrecisePoint p) {
        const double d = n.x * p.x + n.y * p.y - limit;
        return keepBelow ? -d : d;
    };
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const PrecisePoint p = poly[i], q = poly[(i + 1) % poly.size()];
        const double sp = side(p), sq = side(q);
        if (sp >= 0)
            out.push_back(p);
        if ((sp >= 0) != (sq >= 0)) {
            const double t = sp / (sp - sq);
            out.push_back({p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)});
        }
    }
    return out;
}

} // namespace

double discCoverage(double x0, double x1, double y0, double y1, double r)
{
    std::vector<double> cuts{std::max(x0, -r), std::min(x1, r)};
    if (cuts[0] >= cuts[1])
        return 0;
    for (double y : {y0, y1})
        if (std::abs(y) < r)
            for (double s : {-1.0, 1.0}) {
                const double x = s * std::sqrt(r * r - y * y);
                if (x > cuts[0] && x < cuts[1])
                    cuts.push_back(x);
            }
    std::sort(cuts.begin(), cuts.end());
    double area = 0;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        const double a = cuts[i], b = cuts[i + 1];
        if (b <= a)
            continue;
        const double m = 0.5 * (a + b), h = std::sqrt(std::max(0.0, r * r - m * m));
        const double top = std::min(y1, h), bottom = std::max(y0, -h);
        if (top <= bottom)
            continue;   // the square and the disc do not overlap over this piece
        const double chord = halfChordIntegral(b, r) - halfChordIntegral(a, r);
        const double topArea = y1 < h ? y1 * (b - a) : chord;
        const double bottomArea = y0 > -h ? y0 * (b - a) : -chord;
        area += topArea - bottomArea;
    }
    return area / ((x1 - x0) * (y1 - y0));
}

double bandCoverage(double x0, double x1, double y0, double y1, PrecisePoint n, double low, double high)
{
    std::vector<PrecisePoint> poly{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    poly = clip(poly, n, low, false);
    poly = clip(poly, n, high, true);
    double twice = 0;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const PrecisePoint p = poly[i], q = poly[(i + 1) % poly.size()];
        twice += p.x * q.y - q.x * p.y;
    }
    return std::abs(twice) / 2.0 / ((x1 - x0) * (y1 - y0));
}

platform::Bitmap drawBand(int width, int height, PrecisePoint n, double low, double high, const Greys &greys)
{
    return render(width, height, greys, [&](int x, int y) {
        return bandCoverage(x - 0.5, x + 0.5, y - 0.5, y + 0.5, n, low, high);
    });
}

platform::Bitmap drawDisc(int width, int height, PrecisePoint centre, double radius, const Greys &greys)
{
    return render(width, height, greys, [&](int x, int y) {
        return discCoverage(x - 0.5 - centre.x, x + 0.5 - centre.x, y - 0.5 - centre.y, y + 0.5 - centre.y, radius);
    });
}

} // namespace measure::testing
