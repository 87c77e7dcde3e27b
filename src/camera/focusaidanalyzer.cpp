#include "camera/focusaidanalyzer.h"

#include "camera/clipmask.h"

#include <QImage>

#include <algorithm>
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
        marks = std::make_shared<FocusMarks>();
        marks->imageKey = shown.cacheKey();
    }
    const QRect whole = shown.rect();
    const QRect region = regionInPixels(s.region, shown.size());
    if (s.peaking) {
        marks->peaking = BitPlane(shown.width(), shown.height());
        // One pass gives the edges and, over the whole picture, the score as well.
        const LaplacianSums sums = laplacianPass(shown, whole, s.peakingThreshold, &marks->peaking);
        if (s.meter && region == whole)
            out->score = focusScore(sums);
    }
    if (s.meter && !out->score)
        out->score = focusScore(laplacianPass(shown, region, s.peakingThreshold, nullptr));
    if (out->score) {
        best_ = std::max(best_, *out->score);
        out->best = best_;
    }

    BitPlane high, low;
    if (s.zebra || s.histogram)
        findClippedPixels(shown, high, low);
    if (s.histogram) {
        const std::int64_t now = nowMs_();
        const bool due = !histogram_ || histogram_->channels != s.channels || now - histogramAtMs_ >= kHistogramIntervalMs;
        if (due) {
            auto h = std::make_shared<LiveHistogram>(countHistogram(shown, s.channels));
            h->clippedHigh = high.count();
            h->clippedLow = low.count();
            h->serial = ++histograms_;
            histogram_ = std::move(h);
            histogramAtMs_ = now;
        }
        out->histogram = histogram_;
    } else {
        histogram_.reset();
    }
    if (s.zebra) {
        marks->clippedHigh = std::move(high);
        marks->clippedLow = std::move(low);
    }
    out->marks = std::move(marks);
    return out;
}

} // namespace camera
