#include "fusion.h"

#include "stack/matconvert.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace stack {

namespace {

// The smallest pyramid level is at least this many pixels on its short side.
constexpr int kSmallestLevel = 16;

std::vector<cv::Mat> laplacianPyramid(const cv::Mat &bgr, int levels)
{
    std::vector<cv::Mat> pyramid(static_cast<std::size_t>(levels));
    cv::Mat current;
    bgr.convertTo(current, CV_32FC3);
    for (int k = 0; k < levels - 1; ++k) {
        cv::Mat down, up;
        cv::pyrDown(current, down);
        cv::pyrUp(down, up, current.size());
        pyramid[std::size_t(k)] = current - up;
        current = down;
    }
    pyramid[std::size_t(levels - 1)] = current;
    return pyramid;
}

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

PyramidFusion::Layers PyramidFusion::layers(int index, const cv::Mat &bgr) const
{
    Layers out;
    if (!contributes(index))
        return out;
    out.index = index;
    out.detail = laplacianPyramid(bgr, levels_);
    cv::Mat mask;
    cv::Mat(depth_ == index).convertTo(mask, CV_32F, 1.0 / 255);
    for (int k = 0; k < levels_; ++k) {
        if (k > 0) {
            cv::Mat down;
            cv::pyrDown(mask, down, out.detail[std::size_t(k)].size());
            mask = down;
        }
        cv::Mat mask3;
        cv::merge(std::vector<cv::Mat>{mask, mask, mask}, mask3);
        out.weight.push_back(mask3);
    }
    return out;
}

void PyramidFusion::accumulate(const Layers &layers)
{
    if (layers.detail.empty())
        return;
    if (accumulated_.empty())
        for (const cv::Mat &level : layers.detail)
            accumulated_.push_back(cv::Mat::zeros(level.size(), CV_32FC3));
    for (std::size_t k = 0; k < accumulated_.size(); ++k)
        cv::accumulateProduct(layers.detail[k], layers.weight[k], accumulated_[k]);
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
