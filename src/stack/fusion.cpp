#include "fusion.h"

#include "stack/matconvert.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace stack {

namespace {

// The smallest pyramid level is at least this many pixels on its short side.
constexpr int kSmallestLevel = 16;

} // namespace

cv::Mat focusMeasure(const cv::Mat &bgr, double windowSigma)
{
    const cv::Mat grey = toGreyFloat(bgr);
    cv::Mat laplacian, energy;
    cv::Laplacian(grey, laplacian, CV_32F, 3);
    cv::multiply(laplacian, laplacian, energy);
    cv::GaussianBlur(energy, energy, cv::Size(), windowSigma, windowSigma, cv::BORDER_REPLICATE);
    return energy;
}

int PyramidFusion::levelsFor(cv::Size size)
{
    int levels = 1;
    for (int side = std::min(size.width, size.height); side / 2 >= kSmallestLevel; side /= 2)
        ++levels;
    return std::min(levels, 8);
}

PyramidFusion::PyramidFusion(cv::Size size, int frames)
    : size_(size), frames_(std::clamp(frames, 1, 255)), levels_(levelsFor(size)),
      // Six pixels at 1600 pixels wide, in proportion: the window must reach past the blur skirt
      // of an edge in the frames far from its focus (see the class comment).
      windowSigma_(std::max(2.0, size.width / 267.0)), best_(size, CV_32F, cv::Scalar(-1)),
      depth_(size, CV_8U, cv::Scalar(0)), owned_(std::size_t(frames_), 0)
{
}

cv::Mat PyramidFusion::energy(const cv::Mat &bgr) const
{
    return focusMeasure(bgr, windowSigma_);
}

double PyramidFusion::addMeasure(int index, const cv::Mat &energy)
{
    const cv::Mat better = energy > best_;
    energy.copyTo(best_, better);
    depth_.setTo(cv::Scalar(index), better);
    return cv::mean(energy)[0];
}

const cv::Mat &PyramidFusion::finishMeasure()
{
    // Where no frame has detail the choice is noise; a median keeps the boundaries between real
    // regions where they are and removes the specks.
    cv::medianBlur(depth_, depth_, 5);
    std::fill(owned_.begin(), owned_.end(), 0);
    for (int y = 0; y < depth_.rows; ++y) {
        const uchar *row = depth_.ptr<uchar>(y);
        for (int x = 0; x < depth_.cols; ++x)
            owned_[std::min<std::size_t>(row[x], owned_.size() - 1)] = 1;
    }
    best_.release();
    accumulated_.clear();
    return depth_;
}

bool PyramidFusion::contributes(int index) const
{
    return index >= 0 && index < frames_ && owned_[std::size_t(index)] != 0;
}

void PyramidFusion::layers(int index, const cv::Mat &bgr, Layers &out) const
{
    out.index = -1;
    if (!contributes(index))
        return;
    out.index = index;
    const std::size_t levels = std::size_t(levels_);
    out.detail.resize(levels);
    out.weight.resize(levels);
    out.smooth.resize(levels);
    // Level k's detail is the Gaussian level less the next one brought up to its size; the
    // smallest level keeps the Gaussian itself. Every buffer is written whole.
    bgr.convertTo(out.smooth[0], CV_32FC3);
    for (std::size_t k = 0; k + 1 < levels; ++k) {
        cv::pyrDown(out.smooth[k], out.smooth[k + 1]);
        cv::pyrUp(out.smooth[k + 1], out.detail[k], out.smooth[k].size());
        cv::subtract(out.smooth[k], out.detail[k], out.detail[k]);
    }
    out.smooth[levels - 1].copyTo(out.detail[levels - 1]);
    cv::compare(depth_, cv::Scalar(index), out.owned, cv::CMP_EQ);
    out.owned.convertTo(out.weight[0], CV_32F, 1.0 / 255);
    for (std::size_t k = 1; k < levels; ++k)
        cv::pyrDown(out.weight[k - 1], out.weight[k], out.detail[k].size());
}

void PyramidFusion::accumulate(const Layers &layers)
{
    if (layers.index < 0)
        return;
    if (accumulated_.empty())
        for (const cv::Mat &level : layers.detail)
            accumulated_.push_back(cv::Mat::zeros(level.size(), CV_32FC3));
    for (std::size_t k = 0; k < accumulated_.size(); ++k) {
        const cv::Mat &detail = layers.detail[k], &weight = layers.weight[k];
        cv::Mat &sum = accumulated_[k];
        for (int y = 0; y < sum.rows; ++y) {
            const float *d = detail.ptr<float>(y), *w = weight.ptr<float>(y);
            float *a = sum.ptr<float>(y);
            // A hard mask leaves most of a frame's weights at zero at the finer levels.
            for (int x = 0; x < sum.cols; ++x)
                if (const float wx = w[x]; wx != 0) {
                    a[3 * x] += d[3 * x] * wx;
                    a[3 * x + 1] += d[3 * x + 1] * wx;
                    a[3 * x + 2] += d[3 * x + 2] * wx;
                }
        }
    }
}

cv::Mat PyramidFusion::result() const
{
    if (accumulated_.empty())
        return cv::Mat::zeros(size_, CV_8UC3);
    cv::Mat current = accumulated_.back();
    for (int k = levels_ - 2; k >= 0; --k) {
        cv::Mat up;
        cv::pyrUp(current, up, accumulated_[std::size_t(k)].size());
        current = up + accumulated_[std::size_t(k)];
    }
    cv::Mat out;
    current.convertTo(out, CV_8UC3);   // rounds and saturates
    return out;
}

} // namespace stack
