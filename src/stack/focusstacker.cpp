#include "focusstacker.h"

#include "stack/aligner.h"
#include "stack/depthcolours.h"
#include "stack/fusion.h"
#include "stack/matconvert.h"

#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace stack {

namespace {

cv::Mat warpMat(const Warp &w)
{
    cv::Mat m(2, 3, CV_64F);
    for (int i = 0; i < 6; ++i)
        m.at<double>(i / 3, i % 3) = w.m[std::size_t(i)];
    return m;
}

// Bicubic: linear interpolation would soften every frame but the reference by a visible amount.
cv::Mat laidOver(const cv::Mat &bgr, const Warp &w, cv::Size size)
{
    if (w.isIdentity() && bgr.size() == size)
        return bgr;
    cv::Mat out;
    cv::warpAffine(bgr, out, warpMat(w), size, cv::INTER_CUBIC | cv::WARP_INVERSE_MAP, cv::BORDER_REPLICATE);
    return out;
}

// Frames whose fusion work runs side by side: the machine's two cores, and twice a frame's
// pyramids (about 60 MB at 1600 x 1200) held at once.
constexpr int kFusionBatch = 2;

// Stack order of the alignment: the reference, then outwards to the last frame, then outwards to
// the first, so that every frame starts from the warp of a neighbour already aligned.
std::vector<int> alignmentOrder(int count, int reference)
{
    std::vector<int> order{reference};
    for (int i = reference + 1; i < count; ++i)
        order.push_back(i);
    for (int i = reference - 1; i >= 0; --i)
        order.push_back(i);
    return order;
}

StackResult failed(StackResult r, StackStatus status, int frame, QString detail = {})
{
    r.status = status;
    r.frame = frame;
    r.detail = std::move(detail);
    r.picture = {};
    return r;
}

} // namespace

StackResult focusStack(const StackInput &input, const StackOptions &options, StackProgress *progress, std::stop_token stop)
{
    StackResult r;
    const int n = input.count;
    if (n < 2 || n > kMaxStackFrames || !input.load)
        return failed(std::move(r), StackStatus::TooFewFrames, -1);
    if (progress) {
        progress->done = 0;
        progress->total = 3 * n + 1;
    }
    auto step = [progress] {
        if (progress)
            progress->done.fetch_add(1);
    };
    r.reference = n / 2;
    r.warps.assign(std::size_t(n), Warp{});

    // Alignment: every frame is laid over the reference as it arrives, and only the laid copy kept.
    std::vector<cv::Mat> aligned(static_cast<std::size_t>(n));
    std::unique_ptr<StackAligner> aligner;
    cv::Size size;
    for (const int i : alignmentOrder(n, r.reference)) {
        if (stop.stop_requested())
            return failed(std::move(r), StackStatus::Cancelled, i);
        cv::Mat bgr;
        {
            StackFrame frame = input.load(i);
            if (frame.picture.isNull())
                return failed(std::move(r), StackStatus::UnreadableFrame, i, frame.error);
            if (i == r.reference)
                size = cv::Size(frame.picture.width(), frame.picture.height());
            else if (cv::Size(frame.picture.width(), frame.picture.height()) != size)
                return failed(std::move(r), StackStatus::SizeMismatch, i);
            bgr = toBgr(frame.picture);
        }
        if (i == r.reference) {
            aligner = std::make_unique<StackAligner>(bgr);
            aligned[std::size_t(i)] = bgr;
        } else {
            const int neighbour = i > r.reference ? i - 1 : i + 1;
            std::optional<Warp> w = aligner->align(bgr, r.warps[std::size_t(neighbour)]);
            if (!w)
                w = aligner->align(bgr, r.warps[std::size_t(neighbour)], false);
            if (!w)
                return failed(std::move(r), StackStatus::AlignmentFailed, i);
            r.warps[std::size_t(i)] = *w;
            aligned[std::size_t(i)] = laidOver(bgr, *w, size);
        }
        step();
    }
    aligner.reset();

    // Fusion: the focus measure of every frame, then the blend. Each pass takes the frames
    // kFusionBatch at a time: their heavy part side by side, then their share in frame order.
    PyramidFusion fusion(size, n);
    double sharpest = -1;
    for (int first = 0; first < n; first += kFusionBatch) {
        if (stop.stop_requested())
            return failed(std::move(r), StackStatus::Cancelled, first);
        const int count = std::min(kFusionBatch, n - first);
        std::array<cv::Mat, kFusionBatch> energies;
        cv::parallel_for_(cv::Range(0, count), [&](const cv::Range &range) {
            for (int k = range.start; k < range.end; ++k)
                energies[std::size_t(k)] = fusion.energy(aligned[std::size_t(first + k)]);
        }, count);
        for (int k = 0; k < count; ++k) {
            const double measure = fusion.addMeasure(first + k, energies[std::size_t(k)]);
            if (measure > sharpest) {
                sharpest = measure;
                r.sharpestFrame = first + k;
            }
            step();
        }
    }
    const cv::Mat &depth = fusion.finishMeasure();
    std::array<PyramidFusion::Layers, kFusionBatch> layers;
    for (int first = 0; first < n; first += kFusionBatch) {
        if (stop.stop_requested())
            return failed(std::move(r), StackStatus::Cancelled, first);
        const int count = std::min(kFusionBatch, n - first);
        cv::parallel_for_(cv::Range(0, count), [&](const cv::Range &range) {
            for (int k = range.start; k < range.end; ++k)
                fusion.layers(first + k, aligned[std::size_t(first + k)], layers[std::size_t(k)]);
        }, count);
        for (int k = 0; k < count; ++k) {
            fusion.accumulate(layers[std::size_t(k)]);
            if (first + k != r.sharpestFrame)
                aligned[std::size_t(first + k)].release();
            step();
        }
    }
    layers = {};
    r.picture = toBitmap(fusion.result());
    r.sharpestPicture = toBitmap(aligned[std::size_t(r.sharpestFrame)]);
    r.depth.assign(depth.datastart, depth.dataend);
    if (options.depthMap)
        r.depthMap = depthPicture(r.depth, size.width, size.height, n);
    r.status = stop.stop_requested() ? StackStatus::Cancelled : StackStatus::Done;
    if (!r.ok())
        r.picture = {};
    step();
    return r;
}

platform::Bitmap warpToReference(const platform::Bitmap &frame, const Warp &warp)
{
    if (frame.isNull())
        return {};
    return toBitmap(laidOver(toBgr(frame), warp, cv::Size(frame.width(), frame.height())));
}

} // namespace stack
