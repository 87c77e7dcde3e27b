// Alignment on small rendered frames: breathing and drift recovered, a drift of many pixels found
// from no guess, and the warp arithmetic between pyramid levels.
#include "zstackplan.h"

#include "stack/aligner.h"
#include "stack/matconvert.h"

#include <opencv2/imgproc.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace {

TEST(Alignment, RecoversBreathingAndDriftOfAHalfSizeStack)
{
    constexpr int w = 800, h = 600;
    platform::SpecimenRenderer r(w, h, platform::SpecimenRelief::Tilted);
    const platform::SpecimenPlacement ref{1.0, 0, 0};
    stack::StackAligner aligner(stack::toBgr(platform::Bitmap(r.atFocus(50, ref))));
    const std::array<platform::SpecimenPlacement, 3> frames{{{0.99, 4, -3}, {1.01, -5, 2}, {1.0, 23, -17}}};
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const std::optional<stack::Warp> found = aligner.align(stack::toBgr(platform::Bitmap(r.atFocus(40 + 10.0 * i, frames[i]))));
        ASSERT_TRUE(found) << i;
        const double s = frames[i].scale;
        stack::Warp truth;
        truth.m = {s, 0, w / 2.0 - 0.5 + s * (0.5 - w / 2.0) + frames[i].dx, 0, s, h / 2.0 - 0.5 + s * (0.5 - h / 2.0) + frames[i].dy};
        EXPECT_LE(stack::cornerDistance(*found, truth, QSize(w, h)), 0.1) << i;
    }
}

TEST(Alignment, RecoversATurnOfTheCameraWithBreathingAndDrift)
{
    // The frame is a less sharp rendering laid by a known similarity with a turn (the renderer's
    // placements do not turn): reference pixel p shows in the frame at w(p).
    constexpr int w = 800, h = 600;
    platform::SpecimenRenderer r(w, h, platform::SpecimenRelief::Tilted);
    const cv::Mat reference = stack::toBgr(platform::Bitmap(r.atFocus(50, {1.0, 0, 0})));
    const cv::Mat source = stack::toBgr(platform::Bitmap(r.atFocus(44, {1.0, 0, 0})));
    stack::StackAligner aligner(reference);
    struct Case {
        double degrees, scale, dx, dy;
    };
    for (const Case &c : std::vector<Case>{{0.5, 1.006, 6.5, -4.2}, {-0.4, 0.995, -3.3, 2.7}, {0.25, 1.0, 0, 0}}) {
        const double a = c.scale * std::cos(c.degrees * CV_PI / 180), b = c.scale * std::sin(c.degrees * CV_PI / 180);
        const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
        stack::Warp truth;
        truth.m = {a, -b, cx + c.dx - a * cx + b * cy, b, a, cy + c.dy - b * cx - a * cy};
        cv::Mat m(2, 3, CV_64F), frame;
        for (int i = 0; i < 6; ++i)
            m.at<double>(i / 3, i % 3) = truth.m[std::size_t(i)];
        cv::warpAffine(source, frame, m, source.size(), cv::INTER_CUBIC, cv::BORDER_REFLECT);
        const std::optional<stack::Warp> found = aligner.align(frame);
        ASSERT_TRUE(found) << c.degrees;
        const double error = stack::cornerDistance(*found, truth, QSize(w, h));
        std::printf("turn %.2f degrees: corner error %.3f px\n", c.degrees, error);
        EXPECT_LE(error, 0.1) << c.degrees;
    }
}

TEST(Alignment, WarpRescalingKeepsPixelCentresAndCornerDistanceMeasuresTheWorstCorner)
{
    stack::Warp half;
    half.m = {1.01, 0, 2, 0, 1.01, -1};
    const stack::Warp full = half.rescaled(2);
    // Half-size pixel (10, 20) is full-size (20.5, 40.5): the maps must agree there.
    const QPointF h = half.map(QPointF(10, 20));
    const QPointF f = full.map(QPointF(20.5, 40.5));
    EXPECT_NEAR(f.x(), 2 * h.x() + 0.5, 1e-9);
    EXPECT_NEAR(f.y(), 2 * h.y() + 0.5, 1e-9);
    stack::Warp shifted;
    shifted.m = {1, 0, 0.3, 0, 1, 0.4};
    EXPECT_NEAR(stack::cornerDistance(shifted, stack::Warp{}, QSize(100, 80)), 0.5, 1e-12);
    stack::Warp scaled;
    scaled.m = {1.001, 0, 0, 0, 1.001, 0};
    EXPECT_NEAR(stack::cornerDistance(scaled, stack::Warp{}, QSize(101, 1)), 0.1, 1e-9);
}

} // namespace
