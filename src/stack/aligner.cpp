#include "aligner.h"

#include "stack/matconvert.h"

#include <opencv2/imgproc.hpp>

#include <cmath>

namespace stack {

namespace {

// Full, half, quarter and eighth size. The eighth is for phase correlation only: there the
// finest periodic detail (a micrometer's divisions) is averaged away, so the peak cannot jump by
// a period; the fit runs from the quarter size down.
constexpr int kLevels = 4;
// Iterations at each level, finest first: the coarse levels do the travelling, the full size
// only polishes (one iteration there costs sixteen at the quarter size).
constexpr int kIterations[kLevels] = {6, 15, 30, 0};
// An update that moves no corner of the level by more than this (pixels) ends the level.
constexpr double kConverged = 1e-3;
// Gaussian smoothing of both pictures before the fit, sigma in pixels of each level.
constexpr double kSmoothingSigma = 1.0;

// A similarity about the picture centre c: p' = c + t + [a -b; b a] (p - c).
struct Similarity {
    double a = 1, b = 0, tx = 0, ty = 0;
};

Warp toWarp(const Similarity &s, cv::Point2d c)
{
    Warp w;
    w.m = {s.a, -s.b, c.x + s.tx - s.a * c.x + s.b * c.y, s.b, s.a, c.y + s.ty - s.b * c.x - s.a * c.y};
    return w;
}

// The nearest similarity to a warp (its rotation-and-scale part averaged, shift kept).
Similarity toSimilarity(const Warp &w, cv::Point2d c)
{
    Similarity s;
    s.a = (w.m[0] + w.m[4]) / 2;
    s.b = (w.m[3] - w.m[1]) / 2;
    const QPointF moved = w.map(QPointF(c.x, c.y));
    s.tx = moved.x() - c.x;
    s.ty = moved.y() - c.y;
    return s;
}

cv::Mat toMat(const Warp &w)
{
    cv::Mat m(2, 3, CV_64F);
    for (int i = 0; i < 6; ++i)
        m.at<double>(i / 3, i % 3) = w.m[std::size_t(i)];
    return m;
}

bool plausible(const Warp &w, cv::Size size)
{
    const double scale = std::sqrt(std::abs(w.m[0] * w.m[4] - w.m[1] * w.m[3]));
    const QPointF centre((size.width - 1) / 2.0, (size.height - 1) / 2.0);
    const QPointF moved = w.map(centre) - centre;
    return std::isfinite(scale) && scale > 0.9 && scale < 1.1 && std::abs(moved.x()) < size.width / 4.0
           && std::abs(moved.y()) < size.height / 4.0;
}

cv::Mat smoothed(const cv::Mat &grey)
{
    cv::Mat out;
    cv::GaussianBlur(grey, out, cv::Size(), kSmoothingSigma, kSmoothingSigma, cv::BORDER_REPLICATE);
    return out;
}

// One level of the ECC fit. `t` the reference, `frame` the frame, both smoothed float; `xs`, `ys`
// the reference's pixel coordinates relative to the centre. False when the pictures hold nothing
// to correlate (no variance) or the update is not finite.
bool fitLevel(const cv::Mat &t, const cv::Mat &frame, const cv::Mat &xs, const cv::Mat &ys, Similarity &s, int iterations)
{
    const cv::Point2d c((t.cols - 1) / 2.0, (t.rows - 1) / 2.0);
    const cv::Mat ones(frame.size(), CV_8U, cv::Scalar(255));
    cv::Mat warped, valid, gx, gy;
    for (int it = 0; it < iterations; ++it) {
        const cv::Mat m = toMat(toWarp(s, c));
        cv::warpAffine(frame, warped, m, t.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_REPLICATE);
        // Only reference pixels that the frame really covers take part (with a pixel to spare).
        cv::warpAffine(ones, valid, m, t.size(), cv::INTER_NEAREST | cv::WARP_INVERSE_MAP, cv::BORDER_CONSTANT, cv::Scalar(0));
        cv::erode(valid, valid, cv::Mat(), cv::Point(-1, -1), 2);
        cv::Mat mask;
        valid.convertTo(mask, CV_32F, 1.0 / 255);
        const double area = cv::sum(mask)[0];
        if (area < 16)
            return false;
        cv::Sobel(warped, gx, CV_32F, 1, 0, 3, 1.0 / 8);
        cv::Sobel(warped, gy, CV_32F, 0, 1, 3, 1.0 / 8);
        // The gradients are taken in reference coordinates; the warp's own linear part rotates
        // and scales them by less than a part in ten here, which slows convergence a little but
        // moves no fixed point.
        cv::Mat jac[4] = {gx.mul(xs) + gy.mul(ys), gy.mul(xs) - gx.mul(ys), gx, gy};
        const double meanT = cv::sum(t.mul(mask))[0] / area;
        const double meanI = cv::sum(warped.mul(mask))[0] / area;
        const cv::Mat t0 = (t - meanT).mul(mask);
        const cv::Mat i0 = (warped - meanI).mul(mask);
        cv::Matx44d h;
        cv::Vec4d et, ei;
        for (int k = 0; k < 4; ++k) {
            jac[k] = jac[k].mul(mask);
            const double meanJ = cv::sum(jac[k])[0] / area;
            jac[k] -= meanJ * mask;
        }
        for (int k = 0; k < 4; ++k) {
            for (int l = k; l < 4; ++l)
                h(k, l) = h(l, k) = jac[k].dot(jac[l]);
            et[k] = jac[k].dot(t0);
            ei[k] = jac[k].dot(i0);
        }
        const cv::Matx44d hInv = h.inv(cv::DECOMP_CHOLESKY);
        const double tNorm = t0.dot(t0), iNorm = i0.dot(i0), ti = t0.dot(i0);
        if (tNorm <= 0 || iNorm <= 0)
            return false;
        const cv::Vec4d hEi = hInv * ei;
        const double denominator = ti - et.dot(hEi);
        const double numerator = iNorm - ei.dot(hEi);
        // ECC's gain: the photometric scale between the pictures once the motion is taken out.
        const double lambda = denominator > 0 ? numerator / denominator : std::sqrt(iNorm / tNorm);
        const cv::Vec4d delta = hInv * (lambda * et - ei);
        if (!std::isfinite(delta[0]) || !std::isfinite(delta[1]) || !std::isfinite(delta[2]) || !std::isfinite(delta[3]))
            return false;
        s.a += delta[0];
        s.b += delta[1];
        s.tx += delta[2];
        s.ty += delta[3];
        const double reach = std::hypot(c.x, c.y);
        if (std::hypot(delta[0], delta[1]) * reach + std::hypot(delta[2], delta[3]) < kConverged)
            break;
    }
    return true;
}

} // namespace

struct StackAligner::Levels {
    cv::Mat grey[kLevels];   // smoothed float luma, full size first
    cv::Mat xs[kLevels];     // pixel x relative to the centre
    cv::Mat ys[kLevels];

    explicit Levels(const cv::Mat &bgr, bool coordinates)
    {
        cv::Mat g = toGreyFloat(bgr);
        for (int i = 0; i < kLevels; ++i) {
            if (i > 0) {
                cv::Mat down;
                cv::pyrDown(g, down);
                g = down;
            }
            grey[i] = smoothed(g);
            if (coordinates) {
                xs[i].create(g.size(), CV_32F);
                ys[i].create(g.size(), CV_32F);
                const double cx = (g.cols - 1) / 2.0, cy = (g.rows - 1) / 2.0;
                for (int y = 0; y < g.rows; ++y) {
                    auto *px = xs[i].ptr<float>(y);
                    auto *py = ys[i].ptr<float>(y);
                    for (int x = 0; x < g.cols; ++x) {
                        px[x] = float(x - cx);
                        py[x] = float(y - cy);
                    }
                }
            }
        }
    }
};

StackAligner::StackAligner(const cv::Mat &referenceBgr) : reference_(std::make_unique<Levels>(referenceBgr, true)) {}

StackAligner::~StackAligner() = default;

std::optional<Warp> StackAligner::align(const cv::Mat &frameBgr, const Warp &guess, bool searchShift) const
{
    if (frameBgr.size() != reference_->grey[0].size())
        return std::nullopt;
    const Levels frame(frameBgr, false);
    const int coarse = kLevels - 1;
    const cv::Mat &ref = reference_->grey[coarse];
    Warp w = guess.rescaled(1.0 / double(1 << coarse));

    // Phase correlation of the reference with the frame laid over it by the guess, at the eighth
    // size: what is left is mostly a shift, which the peak finds however far it is.
    cv::Mat laid;
    cv::warpAffine(frame.grey[coarse], laid, toMat(w), ref.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                   cv::BORDER_REPLICATE);
    cv::Mat window;
    cv::createHanningWindow(window, ref.size(), CV_32F);
    const cv::Point2d shift = searchShift ? cv::phaseCorrelate(ref, laid, window) : cv::Point2d();
    // laid(x) = ref(x - shift), so the frame shows reference point x at w(x + shift).
    if (std::isfinite(shift.x) && std::isfinite(shift.y)) {
        w.m[2] += w.m[0] * shift.x + w.m[1] * shift.y;
        w.m[5] += w.m[3] * shift.x + w.m[4] * shift.y;
    }

    w = w.rescaled(2);
    for (int level = coarse - 1; level >= 0; --level) {
        const cv::Mat &t = reference_->grey[level];
        const cv::Point2d c((t.cols - 1) / 2.0, (t.rows - 1) / 2.0);
        Similarity s = toSimilarity(w, c);
        if (!fitLevel(t, frame.grey[level], reference_->xs[level], reference_->ys[level], s, kIterations[level]))
            return std::nullopt;
        w = toWarp(s, c);
        if (level > 0)
            w = w.rescaled(2);
    }
    if (!plausible(w, frameBgr.size()))
        return std::nullopt;
    return w;
}

} // namespace stack
