#include "aligner.h"

#include "stack/matconvert.h"

#include <opencv2/core/hal/intrin.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace stack {

namespace {

// Full, half, quarter and eighth size. The eighth is for phase correlation only: there the
// finest periodic detail (a micrometer's divisions) is averaged away, so the peak cannot jump by
// a period; the fit runs from the quarter size down.
constexpr int kLevels = 4;
// At most this many iterations at each level, finest first. The quarter size may have to travel a
// few pixels from the correlation peak; the half size arrives within a tenth of a pixel, so the
// full size (an iteration there costs four at the half) only polishes: its updates fall to a few
// thousandths of a pixel, the noise of the measure, within three.
constexpr int kIterations[kLevels] = {3, 15, 30, 0};
// A correlation peak further than this from the guess (pixels of the eighth size, 8 of the full)
// may be a wrong one: a specimen with a period, blurred very differently in the two frames, can
// put its highest peak a period away. Neighbouring frames drift by far less.
constexpr double kPeakAgrees = 1.0;
// An update that moves no corner of the level by more than this (pixels) ends the level.
constexpr double kConverged = 1e-3;
// Gaussian smoothing of both pictures before the fit, sigma in pixels of each level.
constexpr double kSmoothingSigma = 1.0;
// Reference pixels take part only where the frame covers them with this much to spare (pixels of
// the level): the level's warp may still move by a pixel or two, and the frame's outermost
// pixels are the interpolation's border.
constexpr double kCoverMargin = 3;
// Grey levels are summed less this offset, so that the float sums of squares over a row keep
// their precision (the centred moments do not change).
constexpr float kGreyOffset = 128;

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

// a after b: x -> a(b(x)).
Warp composed(const Warp &a, const Warp &b)
{
    const auto &p = a.m, &q = b.m;
    Warp w;
    w.m = {p[0] * q[0] + p[1] * q[3], p[0] * q[1] + p[1] * q[4], p[0] * q[2] + p[1] * q[5] + p[2],
           p[3] * q[0] + p[4] * q[3], p[3] * q[1] + p[4] * q[4], p[3] * q[2] + p[4] * q[5] + p[5]};
    return w;
}

Warp inverted(const Warp &w)
{
    const auto &m = w.m;
    const double det = m[0] * m[4] - m[1] * m[3];
    Warp r;
    r.m = {m[4] / det, -m[1] / det, 0, -m[3] / det, m[0] / det, 0};
    r.m[2] = -(r.m[0] * m[2] + r.m[1] * m[5]);
    r.m[5] = -(r.m[3] * m[2] + r.m[4] * m[5]);
    return r;
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

// The reference pixels (of a level of `size`) that `w` lays inside the frame (the same size) with
// `margin` to spare: an axis-aligned rectangle, each side pulled in by how far its corners fall
// outside, one pixel in from the picture's edge (the gradient's neighbours), its width a multiple
// of four (the sums run four pixels at a time). Empty when too little is left.
cv::Rect coveredRect(const Warp &w, cv::Size size, double margin)
{
    const double a = w.m[0], e = w.m[4];
    if (!(a > 0.5 && e > 0.5))
        return {};
    double x0 = 1, y0 = 1, x1 = size.width - 2, y1 = size.height - 2;
    const double loX = margin, hiX = size.width - 1 - margin, loY = margin, hiY = size.height - 1 - margin;
    for (int pass = 0; pass < 8 && x1 - x0 >= 8 && y1 - y0 >= 8; ++pass) {
        const QPointF tl = w.map({x0, y0}), tr = w.map({x1, y0}), bl = w.map({x0, y1}), br = w.map({x1, y1});
        const double left = loX - std::min(tl.x(), bl.x()), right = std::max(tr.x(), br.x()) - hiX;
        const double top = loY - std::min(tl.y(), tr.y()), bottom = std::max(bl.y(), br.y()) - hiY;
        if (left <= 0 && right <= 0 && top <= 0 && bottom <= 0)
            break;
        // The map is nearly a scale: moving a side by d / scale moves its corners by about d.
        x0 += std::max(0.0, left) / a + (left > 0 ? 0.01 : 0);
        x1 -= std::max(0.0, right) / a + (right > 0 ? 0.01 : 0);
        y0 += std::max(0.0, top) / e + (top > 0 ? 0.01 : 0);
        y1 -= std::max(0.0, bottom) / e + (bottom > 0 ? 0.01 : 0);
    }
    const int left = int(std::ceil(x0)), top = int(std::ceil(y0));
    const int width = (int(std::floor(x1)) - left + 1) / 4 * 4, height = int(std::floor(y1)) - top + 1;
    if (width < 8 || height < 8)
        return {};
    for (const QPointF corner : {QPointF(left, top), QPointF(left + width - 1, top), QPointF(left, top + height - 1),
                                 QPointF(left + width - 1, top + height - 1)}) {
        const QPointF p = w.map(corner);
        if (p.x() < loX - 0.5 || p.x() > hiX + 0.5 || p.y() < loY - 0.5 || p.y() > hiY + 0.5)
            return {};   // a turn far beyond what a focus pass makes: nothing sensible to fit
    }
    return {left, top, width, height};
}

// The sums of one level's fit over its rectangle, as doubles. The Jacobian of the similarity
// about the centre, with the reference's gradient (gx, gy) at X, Y from the centre:
//   J = (gx X + gy Y, gy X - gx Y, gx, gy)   for (scale-rotation a, b, shift x, y).
struct ReferenceSums {
    double n = 0, t = 0, tt = 0;
    std::array<double, 4> j{}, jt{};
    std::array<double, 10> jj{};   // the upper triangle, row by row
};

struct FrameSums {
    double i = 0, ii = 0, ti = 0;
    std::array<double, 4> ji{};
};

using cv::v_float32x4;

inline void jacobian(v_float32x4 gx, v_float32x4 gy, v_float32x4 x, v_float32x4 y, v_float32x4 (&j)[4])
{
    j[0] = gx * x + gy * y;
    j[1] = gy * x - gx * y;
    j[2] = gx;
    j[3] = gy;
}

// Row by row over `r`, four pixels at a time: float sums within a row, double between rows.
ReferenceSums referenceSums(const cv::Mat &t, const cv::Mat &gx, const cv::Mat &gy, cv::Rect r, cv::Point2d c)
{
    ReferenceSums s;
    const v_float32x4 offset = cv::v_setall_f32(kGreyOffset), step = cv::v_setall_f32(4);
    for (int y = r.y; y < r.y + r.height; ++y) {
        const float *pt = t.ptr<float>(y) + r.x, *px = gx.ptr<float>(y) + r.x, *py = gy.ptr<float>(y) + r.x;
        const v_float32x4 ys = cv::v_setall_f32(float(y - c.y));
        const float x0 = float(r.x - c.x);
        v_float32x4 xs(x0, x0 + 1, x0 + 2, x0 + 3);
        v_float32x4 st = cv::v_setzero_f32(), stt = st, sj[4] = {st, st, st, st}, sjt[4] = {st, st, st, st};
        v_float32x4 sjj[10] = {st, st, st, st, st, st, st, st, st, st};
        for (int x = 0; x < r.width; x += 4, xs = xs + step) {
            const v_float32x4 tv = cv::v_load(pt + x) - offset;
            v_float32x4 j[4];
            jacobian(cv::v_load(px + x), cv::v_load(py + x), xs, ys, j);
            st = st + tv;
            stt = cv::v_fma(tv, tv, stt);
            for (int k = 0, kl = 0; k < 4; ++k) {
                sj[k] = sj[k] + j[k];
                sjt[k] = cv::v_fma(j[k], tv, sjt[k]);
                for (int l = k; l < 4; ++l, ++kl)
                    sjj[kl] = cv::v_fma(j[k], j[l], sjj[kl]);
            }
        }
        s.t += cv::v_reduce_sum(st);
        s.tt += cv::v_reduce_sum(stt);
        for (int k = 0; k < 4; ++k) {
            s.j[std::size_t(k)] += cv::v_reduce_sum(sj[k]);
            s.jt[std::size_t(k)] += cv::v_reduce_sum(sjt[k]);
        }
        for (std::size_t kl = 0; kl < 10; ++kl)
            s.jj[kl] += cv::v_reduce_sum(sjj[kl]);
    }
    s.n = double(r.area());
    return s;
}

// `warped`: the frame laid over `r` (r's size).
FrameSums frameSums(const cv::Mat &t, const cv::Mat &gx, const cv::Mat &gy, cv::Rect r, cv::Point2d c,
                    const cv::Mat &warped)
{
    FrameSums s;
    const v_float32x4 offset = cv::v_setall_f32(kGreyOffset), step = cv::v_setall_f32(4);
    for (int y = r.y; y < r.y + r.height; ++y) {
        const float *pt = t.ptr<float>(y) + r.x, *px = gx.ptr<float>(y) + r.x, *py = gy.ptr<float>(y) + r.x;
        const float *pi = warped.ptr<float>(y - r.y);
        const v_float32x4 ys = cv::v_setall_f32(float(y - c.y));
        const float x0 = float(r.x - c.x);
        v_float32x4 xs(x0, x0 + 1, x0 + 2, x0 + 3);
        v_float32x4 si = cv::v_setzero_f32(), sii = si, sti = si, sji[4] = {si, si, si, si};
        for (int x = 0; x < r.width; x += 4, xs = xs + step) {
            const v_float32x4 tv = cv::v_load(pt + x) - offset, iv = cv::v_load(pi + x) - offset;
            v_float32x4 j[4];
            jacobian(cv::v_load(px + x), cv::v_load(py + x), xs, ys, j);
            si = si + iv;
            sii = cv::v_fma(iv, iv, sii);
            sti = cv::v_fma(tv, iv, sti);
            for (int k = 0; k < 4; ++k)
                sji[k] = cv::v_fma(j[k], iv, sji[k]);
        }
        s.i += cv::v_reduce_sum(si);
        s.ii += cv::v_reduce_sum(sii);
        s.ti += cv::v_reduce_sum(sti);
        for (int k = 0; k < 4; ++k)
            s.ji[std::size_t(k)] += cv::v_reduce_sum(sji[k]);
    }
    return s;
}

} // namespace

struct StackAligner::Levels {
    cv::Mat grey[kLevels];   // smoothed float luma, full size first
    cv::Mat gx[kLevels];     // its gradient (Sobel / 8: grey levels a pixel), the reference's only
    cv::Mat gy[kLevels];

    explicit Levels(const cv::Mat &bgr, bool gradients)
    {
        cv::Mat g = toGreyFloat(bgr);
        for (int i = 0; i < kLevels; ++i) {
            if (i > 0) {
                cv::Mat down;
                cv::pyrDown(g, down);
                g = down;
            }
            grey[i] = smoothed(g);
            if (gradients && kIterations[i] > 0) {
                cv::Sobel(grey[i], gx[i], CV_32F, 1, 0, 3, 1.0 / 8, 0, cv::BORDER_REPLICATE);
                cv::Sobel(grey[i], gy[i], CV_32F, 0, 1, 3, 1.0 / 8, 0, cv::BORDER_REPLICATE);
            }
        }
    }

    // One level of the fit, inverse compositional: `w` maps this level's reference pixels to
    // `frame`'s (smoothed float, this level's size). False when the pictures hold nothing to
    // correlate (no variance, too little overlap) or an update is not finite. `correlation`, when
    // given: the correlation coefficient of the pictures at the last warp evaluated, -1 to 1.
    bool fit(int level, const cv::Mat &frame, Warp &w, double *correlation = nullptr) const
    {
        const cv::Mat &t = grey[level], &dx = gx[level], &dy = gy[level];
        const cv::Point2d c((t.cols - 1) / 2.0, (t.rows - 1) / 2.0);
        const cv::Rect r = coveredRect(w, t.size(), kCoverMargin);
        if (r.area() < 64)
            return false;
        // The reference's side, zero-mean over r: the Jacobian's Hessian H, G't and |t|^2.
        const ReferenceSums rs = referenceSums(t, dx, dy, r, c);
        const double n = rs.n, mt = rs.t / n;
        cv::Matx44d h;
        cv::Vec4d mj, gt;
        for (int k = 0; k < 4; ++k)
            mj[k] = rs.j[std::size_t(k)] / n;
        for (int k = 0, kl = 0; k < 4; ++k) {
            gt[k] = rs.jt[std::size_t(k)] - n * mj[k] * mt;
            for (int l = k; l < 4; ++l, ++kl)
                h(k, l) = h(l, k) = rs.jj[std::size_t(kl)] - n * mj[k] * mj[l];
        }
        const double tNorm = rs.tt - n * mt * mt;
        bool invertible = false;
        const cv::Matx44d hInv = h.inv(cv::DECOMP_CHOLESKY, &invertible);
        if (!invertible || !(tNorm > 0))
            return false;
        const cv::Vec4d hGt = hInv * gt;
        const double numerator = tNorm - gt.dot(hGt);

        cv::Mat warped;
        for (int it = 0; it < kIterations[level]; ++it) {
            // The frame over r: r's pixel (0, 0) is the reference's (r.x, r.y).
            Warp shifted = w;
            shifted.m[2] += w.m[0] * r.x + w.m[1] * r.y;
            shifted.m[5] += w.m[3] * r.x + w.m[4] * r.y;
            cv::warpAffine(frame, warped, toMat(shifted), r.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                           cv::BORDER_REPLICATE);
            const FrameSums fs = frameSums(t, dx, dy, r, c, warped);
            const double mi = fs.i / n;
            cv::Vec4d gi;
            for (int k = 0; k < 4; ++k)
                gi[k] = fs.ji[std::size_t(k)] - n * mj[k] * mi;
            const double iNorm = fs.ii - n * mi * mi, ti = fs.ti - n * mt * mi;
            if (!(iNorm > 0))
                return false;
            if (correlation)
                *correlation = ti / std::sqrt(tNorm * iNorm);
            // Moving the reference by delta (linearised) and scaling the frame by ECC's gain
            // lambda (the photometric scale between the pictures once the motion is taken out)
            // maximises their correlation.
            const double denominator = ti - gi.dot(hGt);
            const double lambda = denominator > 0 ? numerator / denominator : std::sqrt(tNorm / iNorm);
            const cv::Vec4d delta = hInv * (lambda * gi - gt);
            if (!std::isfinite(delta[0]) || !std::isfinite(delta[1]) || !std::isfinite(delta[2]) || !std::isfinite(delta[3]))
                return false;
            // The reference moved by delta matches the frame laid by w, so the frame laid by
            // w after delta's inverse matches the reference.
            w = composed(w, inverted(toWarp({1 + delta[0], delta[1], delta[2], delta[3]}, c)));
            const double reach = std::hypot(c.x, c.y);
            if (std::hypot(delta[0], delta[1]) * reach + std::hypot(delta[2], delta[3]) < kConverged)
                break;
        }
        return true;
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
    const Warp start = guess.rescaled(1.0 / double(1 << coarse));

    // Phase correlation of the reference with the frame laid over it by the guess, at the eighth
    // size: what is left is mostly a shift, which the peak finds however far it is.
    std::vector<Warp> starts{start};
    if (searchShift) {
        cv::Mat laid;
        cv::warpAffine(frame.grey[coarse], laid, toMat(start), ref.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                       cv::BORDER_REPLICATE);
        cv::Mat window;
        cv::createHanningWindow(window, ref.size(), CV_32F);
        const cv::Point2d shift = cv::phaseCorrelate(ref, laid, window);
        // laid(x) = ref(x - shift), so the frame shows reference point x at w(x + shift).
        if (std::isfinite(shift.x) && std::isfinite(shift.y)) {
            Warp peak = start;
            peak.m[2] += start.m[0] * shift.x + start.m[1] * shift.y;
            peak.m[5] += start.m[3] * shift.x + start.m[4] * shift.y;
            // The peak alone where it agrees with the guess; where it does not, it may be a wrong
            // one, and the guess is fitted as well.
            if (std::hypot(shift.x, shift.y) <= kPeakAgrees)
                starts = {peak};
            else
                starts.insert(starts.begin(), peak);
        }
    }

    // The quarter size from each start; the better correlation goes on to the finer levels. A
    // start that runs off (a wrong peak) is dropped there rather than polished at the finer ones.
    int level = coarse - 1;
    std::optional<Warp> best;
    double bestCorrelation = -2;
    for (const Warp &s : starts) {
        const cv::Mat &t = reference_->grey[level];
        const cv::Point2d c((t.cols - 1) / 2.0, (t.rows - 1) / 2.0);
        Warp w = toWarp(toSimilarity(s.rescaled(2), c), c);
        double correlation = 0;
        if (reference_->fit(level, frame.grey[level], w, &correlation) && plausible(w, t.size())
            && correlation > bestCorrelation) {
            best = w;
            bestCorrelation = correlation;
        }
    }
    if (!best)
        return std::nullopt;
    Warp w = *best;
    for (--level; level >= 0; --level) {
        w = w.rescaled(2);
        const cv::Mat &t = reference_->grey[level];
        const cv::Point2d c((t.cols - 1) / 2.0, (t.rows - 1) / 2.0);
        w = toWarp(toSimilarity(w, c), c);
        if (!reference_->fit(level, frame.grey[level], w) || !plausible(w, t.size()))
            return std::nullopt;
    }
    return w;
}

} // namespace stack
