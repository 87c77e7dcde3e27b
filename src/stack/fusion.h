#pragma once

#include <opencv2/core.hpp>

#include <vector>

namespace stack {

// Fuses aligned frames into one picture in which every part is as sharp as in its sharpest frame.
//
// Choice: a per-pixel focus measure picks one frame for every pixel (a hard mask), and the frames
// are then blended through a Laplacian pyramid with each frame's mask smoothed by a Gaussian
// pyramid (Burt and Adelson's multiresolution spline).
//  - The measure is the energy of the Laplacian of the luma, summed over a Gaussian window a few
//    pixels wide. A sharp edge has far more Laplacian energy than the same edge blurred, and the
//    window lets that energy reach the whole blur skirt around the edge: without it, the skirt
//    of a defocused frame (contrast where the sharp frame is flat) wins the pixels next to the
//    edge, which is the halo of simple per-pixel selection and of small contrast windows.
//  - A hard mask keeps each pixel's detail from one frame: weighted averages of several frames
//    mix a sharp edge with its blurred copies, which lowers contrast and leaves ghosts.
//  - The pyramid blend hides the seams between frames of slightly different brightness or blur:
//    fine detail switches frame within a pixel, the smooth shading over a wide band.
// Memory: one pass over the frames for the measure, one for the blend; only the accumulated
// pyramid, the best measure and the depth index are kept between frames, so the cost of a
// further frame is that frame alone.
//
// Threads: any one thread per object, but energy() and layers() only read what finishMeasure()
// left and may run on several threads at once, beside each other though not beside the other
// members: the heavy work of several frames in parallel, combined in frame order on one thread.
class PyramidFusion
{
public:
    // One frame's part of the blend: its Laplacian pyramid (float BGR) and its mask's Gaussian
    // pyramid (float), `index` -1 when the frame owns no pixel. Kept from frame to frame, its
    // buffers are filled again in place rather than allocated anew.
    struct Layers {
        int index = -1;
        std::vector<cv::Mat> detail;
        std::vector<cv::Mat> weight;
        std::vector<cv::Mat> smooth;   // the frame's Gaussian pyramid, on the way
        cv::Mat owned;                 // 8-bit mask, on the way
    };

    // At most 255 frames (the depth index is 8-bit).
    PyramidFusion(cv::Size size, int frames);

    // First pass, any order: the focus measure of frame `index` (8-bit BGR, aligned). Returns the
    // frame's mean measure, a figure of its overall sharpness.
    double measure(int index, const cv::Mat &bgr) { return addMeasure(index, energy(bgr)); }
    // measure() in two halves: the focus measure of a frame (any thread), then its taking part in
    // the choice of frames (in frame order, so that a tie goes to the earlier frame as measure()'s
    // does). addMeasure returns the frame's mean measure.
    cv::Mat energy(const cv::Mat &bgr) const;
    double addMeasure(int index, const cv::Mat &energy);
    // After the first pass: the index of the sharpest frame at every pixel (8-bit), cleaned of
    // single-pixel decisions in featureless areas.
    const cv::Mat &finishMeasure();
    // Whether frame `index` owns any pixel (a frame that owns none need not be blended).
    bool contributes(int index) const;

    // Second pass, any order: blends frame `index` through its mask.
    void blend(int index, const cv::Mat &bgr)
    {
        Layers l;
        layers(index, bgr, l);
        accumulate(l);
    }
    // blend() in two halves: a frame's pyramids (any thread), then their sum into the result (in
    // frame order, so that the float sums come out the same on every run).
    void layers(int index, const cv::Mat &bgr, Layers &out) const;
    void accumulate(const Layers &layers);
    // The fused picture, 8-bit BGR.
    cv::Mat result() const;

    const cv::Mat &depth() const { return depth_; }
    static int levelsFor(cv::Size size);

private:
    cv::Size size_;
    int frames_ = 0;
    int levels_ = 0;
    double windowSigma_ = 0;
    cv::Mat best_;    // the highest focus measure so far, float
    cv::Mat depth_;   // its frame index, 8-bit
    std::vector<int> owned_;
    std::vector<cv::Mat> accumulated_;   // the Laplacian pyramid of the result, float BGR
};

// The focus measure on its own (float, the size of the picture): the windowed Laplacian energy.
cv::Mat focusMeasure(const cv::Mat &bgr, double windowSigma);

} // namespace stack
