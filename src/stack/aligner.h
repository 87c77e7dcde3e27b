#pragma once

#include "stack/warp.h"

#include <memory>
#include <optional>

namespace cv {
class Mat;
}

namespace stack {

// Lays the frames of a focus stack over one reference frame.
//
// Model: a similarity per frame (isotropic scale, rotation and shift), held as a Warp. Turning the
// focus changes the magnification slightly ("breathing", an isotropic scale about the optical
// axis), the stage drifts (a shift), and a camera not quite square to the stage turns the drift
// into a small rotation; nothing in a focus pass shears or stretches one axis alone. Not affine:
// a specimen may constrain one direction only (a micrometer's ticks fix the horizontal scale to
// a hundredth of a pixel but say little about the vertical one), and an affine fit then invents a
// stretch of a pixel at the corners. Four parameters are all the frames can tell apart.
//
// Fit: enhanced correlation coefficient maximisation (Evangelidis and Psarakis, the method of
// OpenCV's findTransformECC, which offers no similarity model), written here on OpenCV's
// matrices with the similarity's Jacobian. ECC compares zero-mean, normalised pictures, so the
// brightness that changes with the focus (a blurred dark line lightens its surroundings) does not
// pull the fit; both pictures are smoothed slightly first so that the sharper of the two does
// not dominate the gradients. The fit runs coarse to fine (quarter, half, full size), started by
// phase correlation at the eighth size, which finds drifts of many pixels that a gradient search
// would not reach. A peak far from the guess may be a wrong one (a period away on a periodic
// specimen): then the guess is fitted at the quarter size too, and the better correlation wins.
// ECC is run in its inverse compositional form: the update moves the reference, not the frame,
// and the frame's warp is composed with its inverse. The gradients, the Jacobian and the Hessian
// then belong to the reference and to the part of it the frame covers (fixed for a pyramid level
// once the level's starting warp is known), so an iteration costs one warp of the frame and one
// pass of seven sums, where the forward form needs the frame's gradients and a new Hessian each
// time. Both forms stop at the same correlation maximum; this one converges in fewer iterations
// because its gradients are exact for every warp.
//
// Threads: constructed on one thread; align() may then run on several threads at once (the
// reference is read-only after construction, and each call keeps its own buffers).
class StackAligner
{
public:
    // `referenceBgr`: 8-bit BGR.
    explicit StackAligner(const cv::Mat &referenceBgr);
    ~StackAligner();
    StackAligner(const StackAligner &) = delete;
    StackAligner &operator=(const StackAligner &) = delete;

    // The warp from the reference to `frameBgr` (same size), starting from `guess` (the warp of
    // the neighbouring frame is a good one); none when the fit does not converge to a plausible
    // map (a scale beyond 10 % or a shift beyond a quarter of the picture).
    // `searchShift` false skips the phase correlation and trusts the guess's shift (a second try
    // when the correlation peak was a wrong one, as on a strongly periodic specimen).
    std::optional<Warp> align(const cv::Mat &frameBgr, const Warp &guess = {}, bool searchShift = true) const;

private:
    struct Levels;
    std::unique_ptr<Levels> reference_;
};

} // namespace stack
