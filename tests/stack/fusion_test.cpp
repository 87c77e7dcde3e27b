// The fusion on small pictures made for it: two halves sharp in two frames come back whole, with
// the depth index telling which; a strong edge sharp in one frame gets no halo from its blurred
// copy in the other.
#include "stack/focusstacker.h"
#include "stack/fusion.h"
#include "stack/matconvert.h"

#include <opencv2/imgproc.hpp>

#include <gtest/gtest.h>

namespace {

cv::Mat checkerboard(int w, int h, int cell)
{
    cv::Mat m(h, w, CV_8UC3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            m.at<cv::Vec3b>(y, x) = ((x / cell + y / cell) % 2) ? cv::Vec3b(200, 190, 180) : cv::Vec3b(40, 50, 60);
    return m;
}

cv::Mat blurred(const cv::Mat &m, double sigma)
{
    cv::Mat out;
    cv::GaussianBlur(m, out, cv::Size(), sigma, sigma, cv::BORDER_REPLICATE);
    return out;
}

double maxDifference(const cv::Mat &a, const cv::Mat &b, cv::Rect r)
{
    cv::Mat d;
    cv::absdiff(a(r), b(r), d);
    double lo, hi;
    cv::minMaxLoc(d.reshape(1), &lo, &hi);
    return hi;
}

TEST(Fusion, HalvesSharpInTwoFramesComeBackWholeWithTheirDepth)
{
    const cv::Mat sharp = checkerboard(256, 192, 8);
    const cv::Mat soft = blurred(sharp, 4);
    cv::Mat a = soft.clone(), b = soft.clone();
    sharp(cv::Rect(0, 0, 128, 192)).copyTo(a(cv::Rect(0, 0, 128, 192)));     // left sharp in frame 0
    sharp(cv::Rect(128, 0, 128, 192)).copyTo(b(cv::Rect(128, 0, 128, 192))); // right sharp in frame 1
    stack::PyramidFusion fusion(sharp.size(), 2);
    fusion.measure(0, a);
    fusion.measure(1, b);
    const cv::Mat &depth = fusion.finishMeasure();
    EXPECT_EQ(depth.at<uchar>(96, 40), 0);
    EXPECT_EQ(depth.at<uchar>(96, 216), 1);
    fusion.blend(0, a);
    fusion.blend(1, b);
    const cv::Mat out = fusion.result();
    // Away from the seam, each half is its sharp frame to within rounding.
    EXPECT_LE(maxDifference(out, sharp, cv::Rect(8, 8, 100, 176)), 2);
    EXPECT_LE(maxDifference(out, sharp, cv::Rect(148, 8, 100, 176)), 2);
}

TEST(Fusion, StrongEdgeGetsNoHaloFromItsBlurredCopy)
{
    // A black bar on white: sharp in frame 0, blurred (sigma 5 px) in frame 1. Beside the bar,
    // within the blurred copy's skirt, the result must stay the white of the sharp frame.
    cv::Mat sharp(160, 160, CV_8UC3, cv::Scalar(235, 235, 235));
    cv::rectangle(sharp, cv::Rect(70, 0, 20, 160), cv::Scalar(20, 20, 20), cv::FILLED);
    const cv::Mat soft = blurred(sharp, 5);
    stack::PyramidFusion fusion(sharp.size(), 2);
    fusion.measure(0, sharp);
    fusion.measure(1, soft);
    fusion.finishMeasure();
    fusion.blend(0, sharp);
    fusion.blend(1, soft);
    const cv::Mat out = fusion.result();
    const cv::Rect left(40, 20, 28, 120), right(92, 20, 28, 120);
    // The skirt is there to be picked: the blurred copy differs by far more beside the bar.
    EXPECT_GT(maxDifference(soft, sharp, left), 60);
    // The result stays within 3 % of the edge's contrast (215 levels): the pyramid's smooth
    // seam, not a halo.
    EXPECT_LE(maxDifference(out, sharp, left), 6);
    EXPECT_LE(maxDifference(out, sharp, right), 6);
}

TEST(Fusion, FocusMeasureIsHighestWhereThePictureIsSharp)
{
    const cv::Mat sharp = checkerboard(64, 64, 4);
    const cv::Mat a = stack::focusMeasure(sharp, 2), b = stack::focusMeasure(blurred(sharp, 2), 2);
    EXPECT_GT(cv::mean(a)[0], 4 * cv::mean(b)[0]);
}

} // namespace
