#include "measure/edgesnap.h"

#include "measure/edgeprofile.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace measure {
namespace {

constexpr float kSameEdgeShare = 0.5f;
constexpr float kSameEdgeCosine = 0.866f;   // 30 degrees

// Luma smoothed by a 3 x 3 binomial and its gradient by central differences, on the square of
// pixels within `reach` of a centre pixel: enough to tell which way an edge runs near a click.
class GradientPatch
{
public:
    GradientPatch(const LumaSampler &luma, int cx, int cy, int reach) : cx_(cx), cy_(cy), reach_(reach)
    {
        const int rawHalf = reach + 2, rawSide = 2 * rawHalf + 1;
        std::vector<float> raw(std::size_t(rawSide * rawSide));
        for (int j = 0; j < rawSide; ++j)
            for (int i = 0; i < rawSide; ++i)
                raw[std::size_t(j * rawSide + i)] = luma.at(cx - rawHalf + i, cy - rawHalf + j);
        // Smoothed on reach + 1 around the centre, read back with the same indexing.
        const int sHalf = reach + 1, sSide = 2 * sHalf + 1;
        std::vector<float> across(std::size_t(rawSide * sSide));
        for (int j = 0; j < rawSide; ++j)
            for (int i = 0; i < sSide; ++i) {
                const float *r = &raw[std::size_t(j * rawSide + i)];
                across[std::size_t(j * sSide + i)] = 0.25f * r[0] + 0.5f * r[1] + 0.25f * r[2];
            }
        std::vector<float> smooth(std::size_t(sSide * sSide));
        for (int j = 0; j < sSide; ++j)
            for (int i = 0; i < sSide; ++i) {
                const auto s = [&](int dj) { return across[std::size_t((j + 1 + dj) * sSide + i)]; };
                smooth[std::size_t(j * sSide + i)] = 0.25f * s(-1) + 0.5f * s(0) + 0.25f * s(1);
            }
        const int side = 2 * reach + 1;
        gx_.resize(std::size_t(side * side));
        gy_.resize(std::size_t(side * side));
        for (int j = 0; j < side; ++j)
            for (int i = 0; i < side; ++i) {
                const auto s = [&](int di, int dj) { return smooth[std::size_t((j + 1 + dj) * sSide + i + 1 + di)]; };
                gx_[std::size_t(j * side + i)] = 0.5f * (s(1, 0) - s(-1, 0));
                gy_[std::size_t(j * side + i)] = 0.5f * (s(0, 1) - s(0, -1));
            }
    }

    // Gradient of the pixel (x, y) of the picture, which must lie within the reach.
    float gx(int x, int y) const { return gx_[index(x, y)]; }
    float gy(int x, int y) const { return gy_[index(x, y)]; }

private:
    std::size_t index(int x, int y) const
    {
        return std::size_t((y - cy_ + reach_) * (2 * reach_ + 1) + (x - cx_ + reach_));
    }

    int cx_, cy_, reach_;
    std::vector<float> gx_, gy_;
};

} // namespace

std::optional<EdgeSnap> snapToEdge(const LumaSampler &luma, PrecisePoint click, const EdgeSnapOptions &options)
{
    const double radius = options.radiusPx;
    if (luma.isNull() || !(radius > 0) || !luma.inside(click.x, click.y, -0.5))
        return std::nullopt;
    const int cx = int(std::lround(click.x)), cy = int(std::lround(click.y));
    const int reach = int(std::ceil(radius)) + 1;
    const GradientPatch patch(luma, cx, cy, reach);

    // The strongest gradient within the radius tells which way the edge runs; the gradients of the
    // same edge around it (as strong as half of it, pointing within 30 degrees of it) are summed
    // into the direction across, steadier than one pixel's. The lower quartile of the gradients
    // there is the noise the edge must stand out from: edges may fill most of the disc near a thin
    // line, but not three quarters of it.
    struct Sample {
        float gx, gy, m;
    };
    std::vector<Sample> disc;
    disc.reserve(std::size_t((2 * reach + 1) * (2 * reach + 1)));
    std::size_t strongest = 0;
    for (int y = cy - reach; y <= cy + reach; ++y)
        for (int x = cx - reach; x <= cx + reach; ++x) {
            const double dx = x - click.x, dy = y - click.y;
            if (dx * dx + dy * dy > radius * radius)
                continue;
            const float gx = patch.gx(x, y), gy = patch.gy(x, y);
            disc.push_back({gx, gy, std::hypot(gx, gy)});
            if (disc.back().m > disc[strongest].m)
                strongest = disc.size() - 1;
        }
    if (disc.empty() || !(disc[strongest].m > 0.0f))
        return std::nullopt;
    const Sample top = disc[strongest];
    double sx = 0, sy = 0;
    for (const Sample &s : disc)
        if (s.m >= kSameEdgeShare * top.m && s.gx * top.gx + s.gy * top.gy >= kSameEdgeCosine * s.m * top.m) {
            sx += s.gx;
            sy += s.gy;
        }
    const double length = std::hypot(sx, sy);
    const PrecisePoint across{sx / length, sy / length};
    std::vector<float> magnitudes;
    magnitudes.reserve(disc.size());
    for (const Sample &s : disc)
        magnitudes.push_back(s.m);
    const auto quartile = magnitudes.begin() + std::ptrdiff_t(magnitudes.size() / 4);
    std::nth_element(magnitudes.begin(), quartile, magnitudes.end());
    const double threshold = std::max(options.minimumGradient, options.noiseFactor * double(*quartile));

    // Along the line through the click, at half-pixel steps k within the radius (t = k / 2).
    const EdgeProfile profile(luma, click, across);
    const int steps = int(std::floor(radius / EdgeProfile::kStep));
    const int first = -steps - 1 - EdgeProfile::kReach;   // each step's derivative reads the steps beside it
    std::vector<float> l(std::size_t(2 * (steps + 1 + EdgeProfile::kReach) + 1));
    for (int i = 0; i < int(l.size()); ++i)
        l[std::size_t(i)] = profile.luma((first + i) * EdgeProfile::kStep);
    const auto gradientAt = [&](int k) {
        return std::abs(EdgeProfile::derivativeFrom(&l[std::size_t(k - first - EdgeProfile::kReach)]));
    };
    int best = 0;
    double bestStrength = -1.0;
    // Nearest first, so that of two equal peaks the nearer one stays.
    for (int n = 0; n <= 2 * steps; ++n) {
        const int k = (n % 2 == 0) ? n / 2 : -(n + 1) / 2;
        const double g = gradientAt(k);
        if (g > bestStrength && g >= gradientAt(k - 1) && g >= gradientAt(k + 1)) {
            best = k;
            bestStrength = g;
        }
    }
    if (bestStrength < threshold)
        return std::nullopt;
    const bool rising = EdgeProfile::derivativeFrom(&l[std::size_t(best - first - EdgeProfile::kReach)]) > 0;
    const double t = profile.refinePeak(best * EdgeProfile::kStep, rising);
    EdgeSnap snap;
    snap.point = profile.at(t);
    snap.strength = std::abs(profile.derivative(t));
    // The gradient points towards lighter luma; keep that sense whichever way the line runs.
    const double sign = rising ? 1.0 : -1.0;
    snap.normal = {sign * across.x, sign * across.y};
    return snap;
}

} // namespace measure
