#include "camera/focusaidanalyzer.h"

#include "camera/clipmask.h"

#include <QImage>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>

namespace camera {

QRect regionInPixels(const QRectF &region, QSize size)
{
    const QRect whole(QPoint(0, 0), size);
    if (region.isEmpty() || size.isEmpty())
        return whole;
    const int left = int(std::floor(region.left() * size.width()));
    const int top = int(std::floor(region.top() * size.height()));
    const int right = int(std::ceil(region.right() * size.width()));
    const int bottom = int(std::ceil(region.bottom() * size.height()));
    const QRect r = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)) & whole;
    return r.isEmpty() ? whole : r;
}

FocusAidAnalyzer::FocusAidAnalyzer(std::function<std::int64_t()> nowMs) : nowMs_(std::move(nowMs))
{
    if (!nowMs_)
        nowMs_ = [] {
            return std::int64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count());
        };
}

void FocusAidAnalyzer::setSettings(const FocusAidSettings &settings)
{
    std::lock_guard lock(mutex_);
    if (settings.region != settings_.region)
        resetRequests_.fetch_add(1, std::memory_order_relaxed);
    settings_ = settings;
}

FocusAidSettings FocusAidAnalyzer::settings() const
{
    std::lock_guard lock(mutex_);
    return settings_;
}

void FocusAidAnalyzer::resetBest() { resetRequests_.fetch_add(1, std::memory_order_relaxed); }

std::shared_ptr<FocusMarks> FocusAidAnalyzer::reusableMarks()
{
    for (std::shared_ptr<FocusMarks> &m : marksPool_)
        if (m.use_count() == 1) {
            // The UI thread let go of these marks (its release of the count orders its reads of
            // the planes before our writes).
            std::atomic_thread_fence(std::memory_order_acquire);
            return m;
        }
    auto m = std::make_shared<FocusMarks>();
    if (marksPool_.size() < kMarksPoolSize)
        marksPool_.push_back(m);
    return m;
}

std::shared_ptr<const platform::FrameAnalysis> FocusAidAnalyzer::analyze(const QImage &shown, std::uint64_t sequence)
{
    const FocusAidSettings s = settings();
    if (!s.any() || shown.isNull() || shown.format() != QImage::Format_RGB32)
        return nullptr;
    const std::uint64_t resets = resetRequests_.load(std::memory_order_relaxed);
    if (resets != resetsSeen_) {
        resetsSeen_ = resets;
        best_ = 0;
    }
    auto out = std::make_shared<FocusAidAnalysis>();
    out->sequence = sequence;
    out->size = shown.size();

    std::shared_ptr<FocusMarks> marks;
    if (s.peaking || s.zebra) {
        marks = reusableMarks();
        marks->imageKey = shown.cacheKey();
    }
    const QRect whole = shown.rect();
    const QRect region = regionInPixels(s.region, shown.size());
    if (s.peaking) {
        if (marks->peaking.size() != shown.size())
            marks->peaking = BitPlane(shown.width(), shown.height());
        // One pass gives the edges and, over the whole picture, the score as well; with the
        // clipping warning on, its planes too (each row read once).
        const LaplacianSums sums =
            s.zebra ? laplacianAndClippingPass(shown, s.peakingThreshold, marks->peaking, marks->clippedHigh, marks->clippedLow)
                    : laplacianPass(shown, whole, s.peakingThreshold, &marks->peaking);
        if (s.meter && region == whole)
            out->score = focusScore(sums);
    } else if (marks) {
        marks->peaking = BitPlane();
    }
    if (s.meter && !out->score)
        out->score = focusScore(laplacianPass(shown, region, s.peakingThreshold, nullptr));
    if (out->score) {
        best_ = std::max(best_, *out->score);
        out->best = best_;
    }

    // The clipping warning's planes every frame it is on; the histogram counts its own clipped
    // pixels in its pass, only on the frames it is due.
    if (s.zebra) {
        if (!s.peaking)
            findClippedPixels(shown, marks->clippedHigh, marks->clippedLow);
    } else if (marks) {
        marks->clippedHigh = BitPlane();
        marks->clippedLow = BitPlane();
    }
    if (s.histogram) {
        const std::int64_t now = nowMs_();
        const bool due = !histogram_ || histogram_->channels != s.channels || now - histogramAtMs_ >= histogramIntervalMs(s.channels);
        if (due) {
            auto h = std::make_shared<LiveHistogram>(countHistogram(shown, s.channels));
            h->serial = ++histograms_;
            histogram_ = std::move(h);
            histogramAtMs_ = now;
        }
        out->histogram = histogram_;
    } else {
        histogram_.reset();
    }
    out->marks = std::move(marks);
    return out;
}

} // namespace camera
