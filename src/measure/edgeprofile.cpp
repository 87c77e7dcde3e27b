#include "measure/edgeprofile.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace measure {
namespace {

// The half-pixel difference smoothed by (1 4 6 4 1)/16, as one kernel over t-1.5 ... t+1.5.
constexpr std::array<double, 2 * EdgeProfile::kReach + 1> kSmoothedTaps{-1.0 / 16, -4.0 / 16, -5.0 / 16, 0.0,
                                                                         5.0 / 16,  4.0 / 16,  1.0 / 16};
// The parabola's samples: offsets -1.5 ... 1.5 px, half a pixel apart.
constexpr int kFitSamples = 7;
constexpr double kSumT2 = 7.0;     // sum of the offsets squared
constexpr double kSumT4 = 12.25;   // sum of their fourth powers
constexpr int kMaxRecentring = 8;
constexpr double kSettled = 1e-3;  // px

} // namespace

EdgeProfile::EdgeProfile(const LumaSampler &luma, PrecisePoint origin, PrecisePoint unit, bool acrossAverage)
    : luma_(luma), origin_(origin), unit_(unit), acrossAverage_(acrossAverage)
{
}

float EdgeProfile::luma(double t) const
{
    const PrecisePoint p = at(t);
    if (!acrossAverage_)
        return luma_.bilinear(p.x, p.y);
    // Across the line: the unit turned by a quarter.
    const double ax = -unit_.y, ay = unit_.x;
    return 0.25f * luma_.bilinear(p.x - ax, p.y - ay) + 0.5f * luma_.bilinear(p.x, p.y)
           + 0.25f * luma_.bilinear(p.x + ax, p.y + ay);
}

double EdgeProfile::derivativeFrom(const float *l)
{
    double d = 0;
    for (std::size_t i = 0; i < kSmoothedTaps.size(); ++i)
        d += kSmoothedTaps[i] * double(l[i]);
    return d;
}

double EdgeProfile::derivative(double t) const
{
    std::array<float, 2 * kReach + 1> l{};
    for (int i = 0; i <= 2 * kReach; ++i)
        l[std::size_t(i)] = luma(t + (i - kReach) * kStep);
    return derivativeFrom(l.data());
}

double EdgeProfile::refinePeak(double t0, bool rising) const
{
    const double sense = rising ? 1.0 : -1.0;
    double t = t0;
    double previousT = t0, previousB = 0;
    for (int round = 0; round < kMaxRecentring; ++round) {
        // Luma at t - 2 ... t + 2 gives the seven half-pixel differences at t - 1.5 ... t + 1.5.
        std::array<double, kFitSamples + 2> l{};
        for (int i = 0; i < int(l.size()); ++i)
            l[std::size_t(i)] = luma(t + (i - 4) * kStep);
        double sum = 0, sumT = 0, sumT2 = 0;
        for (int i = 0; i < kFitSamples; ++i) {
            const double offset = (i - 3) * kStep;
            const double g = std::max(0.0, sense * (l[std::size_t(i + 2)] - l[std::size_t(i)]));
            sum += g;
            sumT += offset * g;
            sumT2 += offset * offset * g;
        }
        // g = a t^2 + b t + c by least squares over offsets symmetric about 0.
        const double a = (kFitSamples * sumT2 - kSumT2 * sum) / (kFitSamples * kSumT4 - kSumT2 * kSumT2);
        const double b = sumT / kSumT2;
        if (!(a < 0.0))
            break;   // no peak to follow here: keep what was found
        // The vertex first; then the secant on b, whose zero is the same settled place and which
        // gets there in fewer rounds than stepping to each new vertex.
        double shift = -b / (2.0 * a);
        if (round > 0 && b != previousB)
            shift = -b * (t - previousT) / (b - previousB);
        shift = std::clamp(shift, -kStep, kStep);
        previousT = t;
        previousB = b;
        t += shift;
        if (std::abs(shift) < kSettled)
            break;
    }
    return t;
}

} // namespace measure
