#include "measure/circlefit.h"

#include "measure/edgeprofile.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace measure {
namespace {

struct Circle {
    double a = 0, b = 0, r = 0;
};

constexpr int kMaxRejectionRounds = 20;
constexpr int kMaxGeometricSteps = 50;
constexpr double kMinimumCutPx = 0.5;
constexpr double kConsensusShare = 0.02;  // of the radius: how near a point lies to a candidate circle
constexpr double kRobustSigma = 1.4826;   // median absolute deviation to standard deviation
constexpr double kCoarseStep = 3.0;       // px between the luma a ray reads while looking for an edge
constexpr int kNoiseSteps = 4;            // first coarse steps of every ray, telling the noise inside
constexpr double kFeatureShare = 0.5;     // of the median edge strength the rays met
constexpr int kLookAheadSteps = 2;       // coarse steps a ray looks past its first edge
constexpr double kLookAheadFactor = 2.0;  // how much larger a change there must be to be the edge
constexpr double kRoundShare = 0.05;      // the largest RMS residual of a round feature, of its radius

// Solves the 3 x 3 system m * x = v by elimination with partial pivoting; false when singular.
bool solve3(std::array<std::array<double, 3>, 3> m, std::array<double, 3> v, std::array<double, 3> &x)
{
    for (int col = 0; col < 3; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 3; ++row)
            if (std::abs(m[std::size_t(row)][std::size_t(col)]) > std::abs(m[std::size_t(pivot)][std::size_t(col)]))
                pivot = row;
        if (!(std::abs(m[std::size_t(pivot)][std::size_t(col)]) > 1e-12))
            return false;
        std::swap(m[std::size_t(col)], m[std::size_t(pivot)]);
        std::swap(v[std::size_t(col)], v[std::size_t(pivot)]);
        for (int row = col + 1; row < 3; ++row) {
            const double f = m[std::size_t(row)][std::size_t(col)] / m[std::size_t(col)][std::size_t(col)];
            for (int k = col; k < 3; ++k)
                m[std::size_t(row)][std::size_t(k)] -= f * m[std::size_t(col)][std::size_t(k)];
            v[std::size_t(row)] -= f * v[std::size_t(col)];
        }
    }
    for (int row = 2; row >= 0; --row) {
        double s = v[std::size_t(row)];
        for (int k = row + 1; k < 3; ++k)
            s -= m[std::size_t(row)][std::size_t(k)] * x[std::size_t(k)];
        x[std::size_t(row)] = s / m[std::size_t(row)][std::size_t(row)];
    }
    return true;
}

// The algebraic fit (the circle whose equation the points fit best), about the points' mean so
// that large coordinates do not cost precision.
std::optional<Circle> algebraicFit(const std::vector<PrecisePoint> &p, const std::vector<char> &keep)
{
    double n = 0, mx = 0, my = 0;
    for (std::size_t i = 0; i < p.size(); ++i)
        if (keep[i]) {
            mx += p[i].x;
            my += p[i].y;
            ++n;
        }
    if (n < 3)
        return std::nullopt;
    mx /= n;
    my /= n;
    double suu = 0, svv = 0, suv = 0, suuu = 0, svvv = 0, suvv = 0, svuu = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (!keep[i])
            continue;
        const double u = p[i].x - mx, v = p[i].y - my;
        suu += u * u;
        svv += v * v;
        suv += u * v;
        suuu += u * u * u;
        svvv += v * v * v;
        suvv += u * v * v;
        svuu += v * u * u;
    }
    const double det = suu * svv - suv * suv;
    if (!(std::abs(det) > 1e-9 * (suu + svv) * (suu + svv)))
        return std::nullopt;   // the points lie on a line
    const double ru = 0.5 * (suuu + suvv), rv = 0.5 * (svvv + svuu);
    const double uc = (ru * svv - rv * suv) / det;
    const double vc = (rv * suu - ru * suv) / det;
    return Circle{mx + uc, my + vc, std::sqrt(uc * uc + vc * vc + (suu + svv) / n)};
}

// Gauss-Newton on the distances from the circle, from the algebraic start.
Circle geometricFit(const std::vector<PrecisePoint> &p, const std::vector<char> &keep, Circle c)
{
    for (int step = 0; step < kMaxGeometricSteps; ++step) {
        std::array<std::array<double, 3>, 3> jtj{};
        std::array<double, 3> jtf{};
        for (std::size_t i = 0; i < p.size(); ++i) {
            if (!keep[i])
                continue;
            const double dx = p[i].x - c.a, dy = p[i].y - c.b;
            const double d = std::hypot(dx, dy);
            if (!(d > 0))
                continue;
            const std::array<double, 3> j{-dx / d, -dy / d, -1.0};
            const double f = d - c.r;
            for (std::size_t r = 0; r < 3; ++r) {
                jtf[r] -= j[r] * f;
                for (std::size_t k = 0; k < 3; ++k)
                    jtj[r][k] += j[r] * j[k];
            }
        }
        std::array<double, 3> delta{};
        if (!solve3(jtj, jtf, delta))
            break;
        c.a += delta[0];
        c.b += delta[1];
        c.r += delta[2];
        if (std::abs(delta[0]) + std::abs(delta[1]) + std::abs(delta[2]) < 1e-10)
            break;
    }
    return c;
}

double medianOf(std::vector<double> v)
{
    if (v.empty())
        return 0;
    const auto mid = v.begin() + std::ptrdiff_t(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

// The points on the circle most of them agree on, before any least squares: a point far off (a
// ray that met something beyond the rim) would pull the first fit so far that the distances
// could no longer tell it from the rest. Candidates are the circles through three points a third
// of the way round from each other (the points come in ray order); the one that most points lie
// on (within 2 % of its radius, at least a pixel) gives the starting set.
std::vector<char> consensus(const std::vector<PrecisePoint> &p)
{
    const std::size_t n = p.size();
    std::vector<char> best(n, 0);
    int bestCount = 0;
    if (n < 3)
        return best;
    for (std::size_t i = 0; i < (n + 2) / 3; ++i) {
        const std::optional<PrecisePoint> centre = precise::CircumCentre(p[i], p[(i + n / 3) % n], p[(i + 2 * n / 3) % n]);
        if (!centre)
            continue;
        const double r = std::hypot(p[i].x - centre->x, p[i].y - centre->y);
        const double band = std::max(1.0, kConsensusShare * r);
        std::vector<char> on(n, 0);
        int count = 0;
        for (std::size_t k = 0; k < n; ++k) {
            on[k] = std::abs(std::hypot(p[k].x - centre->x, p[k].y - centre->y) - r) <= band ? 1 : 0;
            count += on[k];
        }
        if (count > bestCount) {
            bestCount = count;
            best = std::move(on);
        }
    }
    return best;
}

} // namespace

std::optional<CircleFit> fitCircle(const std::vector<PrecisePoint> &points, int minimumPoints)
{
    const int wanted = std::max(3, minimumPoints);
    if (int(points.size()) < wanted)
        return std::nullopt;
    std::vector<char> keep = consensus(points);
    if (std::count(keep.begin(), keep.end(), 1) < wanted)
        keep.assign(points.size(), 1);
    Circle c;
    for (int round = 0; round < kMaxRejectionRounds; ++round) {
        const std::optional<Circle> start = algebraicFit(points, keep);
        if (!start)
            return std::nullopt;
        c = geometricFit(points, keep, *start);
        std::vector<double> kept;
        for (std::size_t i = 0; i < points.size(); ++i)
            if (keep[i])
                kept.push_back(std::abs(std::hypot(points[i].x - c.a, points[i].y - c.b) - c.r));
        const double cut = std::max(kMinimumCutPx, 3.0 * kRobustSigma * medianOf(kept));
        std::vector<char> next(points.size(), 0);
        int count = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            next[i] = std::abs(std::hypot(points[i].x - c.a, points[i].y - c.b) - c.r) <= cut ? 1 : 0;
            count += next[i];
        }
        if (count < wanted)
            return std::nullopt;
        if (next == keep)
            break;
        keep = std::move(next);
    }
    CircleFit fit;
    fit.centre = {c.a, c.b};
    fit.radius = c.r;
    fit.pointsFound = int(points.size());
    double sum = 0;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (keep[i]) {
            const double r = std::hypot(points[i].x - c.a, points[i].y - c.b) - c.r;
            sum += r * r;
            ++fit.pointsKept;
        }
    fit.rmsResidual = std::sqrt(sum / fit.pointsKept);
    if (!std::isfinite(fit.radius) || !(fit.radius > 0))
        return std::nullopt;
    return fit;
}

std::optional<CircleFit> circleByEdge(const LumaSampler &luma, PrecisePoint inside, const EdgeCircleOptions &options)
{
    if (luma.isNull() || options.rays < 3 || !luma.inside(inside.x, inside.y, -0.5))
        return std::nullopt;
    // Each ray first walks in coarse steps, reading the nearest pixel, where a change of luma
    // between the steps either side tells an edge; only around that change does it read the
    // half-pixel profile that places the edge. A ray reads a few hundred pixels instead of a thousand, which
    // is what keeps a circle cheaper than copying the picture.
    struct Ray {
        EdgeProfile profile;
        std::vector<float> coarse;   // luma at t = 0, kCoarseStep, 2 kCoarseStep, ...
        // Reads up to coarse step j; false once the ray has left the picture or its allowed length.
        bool readUpTo(int j, const LumaSampler &picture, double maxRadius)
        {
            while (int(coarse.size()) <= j) {
                const double t = double(coarse.size()) * kCoarseStep;
                const PrecisePoint p = profile.at(t);
                if (!picture.inside(p.x, p.y, 1.5) || (maxRadius > 0 && t > maxRadius + kCoarseStep))
                    return false;
                coarse.push_back(picture.nearest(p.x, p.y));
            }
            return true;
        }
        // The change of luma across coarse step j (from step j - 1 to step j + 1).
        double change(int j) const { return double(coarse[std::size_t(j + 1)]) - double(coarse[std::size_t(j - 1)]); }
    };
    const double maxRadius = options.maxRadiusPx;
    std::vector<Ray> rays;
    rays.reserve(std::size_t(options.rays));
    for (int k = 0; k < options.rays; ++k) {
        const double angle = kTwoPi * k / options.rays;
        rays.push_back({EdgeProfile(luma, inside, {std::cos(angle), std::sin(angle)}, false), {}});
        rays.back().coarse.reserve(256);
    }

    // The noise inside the feature, from the first steps of every ray: their second differences,
    // which a smooth shading (a particle darker towards its rim) leaves at nought, scaled to what
    // noise alone gives a change across two steps (the square root of 2 / 6).
    std::vector<double> nearClick;
    for (Ray &ray : rays)
        for (int j = 1; j <= kNoiseSteps && ray.readUpTo(j + 1, luma, maxRadius); ++j)
            nearClick.push_back(std::abs(double(ray.coarse[std::size_t(j + 1)]) - 2.0 * double(ray.coarse[std::size_t(j)])
                                         + double(ray.coarse[std::size_t(j - 1)])));
    const double threshold =
        std::max(options.minimumStep, options.noiseFactor * std::sqrt(1.0 / 3.0) * medianOf(nearClick));

    // The first coarse change at least `floor` strong from step `from` on, followed to its top;
    // then the half-pixel peak of the gradient near it, with its strength.
    struct Peak {
        int coarseStep = 0;
        double t = 0;
        double strength = 0;
        bool rising = false;
    };
    const auto firstPeak = [&](Ray &ray, int from, double floor) -> std::optional<Peak> {
        for (int j = std::max(1, from); ray.readUpTo(j + 1, luma, maxRadius); ++j) {
            double c = ray.change(j);
            if (std::abs(c) < floor)
                continue;
            while (ray.readUpTo(j + 2, luma, maxRadius) && std::abs(ray.change(j + 1)) >= std::abs(c)
                   && (ray.change(j + 1) > 0) == (c > 0))
                c = ray.change(++j);
            // A darker band just inside a rim (a particle's shaded border) comes first but is not
            // the outline: a change at least twice as large right behind it is.
            for (int ahead = j + 1; ahead <= j + kLookAheadSteps && ray.readUpTo(ahead + 1, luma, maxRadius); ++ahead)
                if (std::abs(ray.change(ahead)) >= kLookAheadFactor * std::abs(c)) {
                    j = ahead;
                    c = ray.change(ahead);
                }
            // The half-pixel steps within a coarse step either side, from one read of the luma.
            constexpr int reach = EdgeProfile::kReach;
            const double first = (j - 1) * kCoarseStep;
            const int steps = int(2 * kCoarseStep / EdgeProfile::kStep);
            std::array<float, 2 * reach + 1 + int(2 * kCoarseStep / EdgeProfile::kStep)> l{};
            for (int i = 0; i < int(l.size()); ++i)
                l[std::size_t(i)] = ray.profile.luma(first + (i - reach) * EdgeProfile::kStep);
            Peak best{j, j * kCoarseStep, 0.0, c > 0};
            for (int i = 0; i <= steps; ++i) {
                const double d = EdgeProfile::derivativeFrom(&l[std::size_t(i)]);
                if ((d > 0) == (c > 0) && std::abs(d) > best.strength) {
                    best.t = first + i * EdgeProfile::kStep;
                    best.strength = std::abs(d);
                }
            }
            // A gentle slope (the shading inside a particle) changes the luma as much over a few
            // pixels but is no edge: its gradient never peaks.
            if (best.strength < options.minimumGradient)
                continue;
            return best;
        }
        return std::nullopt;
    };
    std::vector<std::optional<Peak>> peaks;
    peaks.reserve(rays.size());
    std::vector<double> strengths;
    for (Ray &ray : rays) {
        peaks.push_back(firstPeak(ray, 1, threshold));
        if (peaks.back())
            strengths.push_back(peaks.back()->strength);
    }
    // A ray that met a much weaker edge than most (a speck or texture inside the feature) walks on
    // to the first edge of the feature's own strength.
    const double strong = kFeatureShare * medianOf(strengths);
    std::vector<PrecisePoint> edges;
    edges.reserve(rays.size());
    for (std::size_t i = 0; i < rays.size(); ++i) {
        std::optional<Peak> &peak = peaks[i];
        while (peak && peak->strength < strong)
            peak = firstPeak(rays[i], peak->coarseStep + 2, threshold);
        if (peak)
            edges.push_back(rays[i].profile.at(rays[i].profile.refinePeak(peak->t, peak->rising)));
    }
    std::optional<CircleFit> fit = fitCircle(edges, options.minimumPoints);
    // Rays from a click on open ground meet whatever lies around at any distance; a circle can
    // be fitted to that too, but it explains few of the rays and those badly. A round feature's
    // rim keeps most rays within a small part of its radius.
    if (fit && (2 * fit->pointsKept < options.rays || fit->rmsResidual > kRoundShare * fit->radius))
        return std::nullopt;
    return fit;
}

} // namespace measure
