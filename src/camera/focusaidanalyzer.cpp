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

void FocusAidAnalyzer::fitMarks(FocusMarks &marks, const FocusAidSettings &s, QSize size)
{
    // Every row of a plane in use is written whole by its pass: no clearing is due.
    const auto fit = [&](BitPlane &plane, bool on) {
        if (!on)
            plane = BitPlane();
        else if (plane.size() != size)
            plane = BitPlane(size.width(), size.height());
    };
    fit(marks.peaking, s.peaking);
    fit(marks.clippedHigh, s.zebra);
    fit(marks.clippedLow, s.zebra);
}

bool FocusAidAnalyzer::histogramDue(const FocusAidSettings &s, std::int64_t now) const
{
    return !histogram_ || histogram_->channels != s.channels || now - histogramAtMs_ >= histogramIntervalMs(s.channels);
}

platform::ShownRows *FocusAidAnalyzer::shownRows()
{
    rowPasses_.asked = true;
    rowPasses_.settings = settings();
    rowPasses_.size = QSize();
    rowPasses_.rows = 0;
    return rowPasses_.settings.any() ? this : nullptr;
}

void FocusAidAnalyzer::begin(QSize size)
{
    RowPasses &p = rowPasses_;
    const FocusAidSettings &s = p.settings;
    p.size = size;
    p.rows = 0;
    p.marks.reset();
    p.histogram.reset();
    if (s.peaking || s.zebra) {
        p.marks = reusableMarks();
        fitMarks(*p.marks, s, size);
    }
    // The meter over a rectangle reads its rows from the finished frame: they are few, and the
    // rectangle's edges need no repeated rows.
    const bool wholeMeter = s.meter && regionInPixels(s.region, size) == QRect(QPoint(0, 0), size);
    p.laplacian = s.peaking || wholeMeter;
    if (p.laplacian)
        laplacian_.begin(size, s.peakingThreshold, s.peaking ? &p.marks->peaking : nullptr);
    if (s.histogram) {
        const std::int64_t now = nowMs_();
        if (histogramDue(s, now)) {
            // Its time counts once it is delivered: a frame cut short is read whole instead.
            p.histogram = std::make_unique<HistogramCounter>(s.channels, size.width());
            p.histogramAtMs = now;
        }
    }
}

void FocusAidAnalyzer::row(const QRgb *pixels)
{
    RowPasses &p = rowPasses_;
    if (p.rows >= p.size.height())
        return;
    const int y = p.rows++;
    std::uint32_t *high = nullptr, *low = nullptr;
    if (p.settings.zebra) {
        high = p.marks->clippedHigh.row(y);
        low = p.marks->clippedLow.row(y);
        findClippedInRow(pixels, p.size.width(), high, low, simdLevel_);
    }
    if (p.laplacian)
        laplacian_.push(pixels);
    if (p.histogram)
        p.histogram->addRow(pixels, high, low);   // the zebra's clipped pixels, when it found them
}

std::shared_ptr<const platform::FrameAnalysis> FocusAidAnalyzer::analyze(const QImage &shown, std::uint64_t sequence)
{
    RowPasses &p = rowPasses_;
    // The rows already passed through when every one of this frame's came (a decoder that makes
    // the frame whole hands none).
    const bool passed = p.asked && !shown.isNull() && p.size == shown.size() && p.rows == shown.height();
    const FocusAidSettings s = p.asked ? p.settings : settings();
    p.asked = false;
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

    const QRect whole = shown.rect();
    const QRect region = regionInPixels(s.region, shown.size());
    std::shared_ptr<FocusMarks> marks;
    std::optional<LaplacianSums> wholeSums;
    std::unique_ptr<HistogramCounter> counted;
    if (passed) {
        marks = std::move(p.marks);
        if (p.laplacian)
            wholeSums = laplacian_.finish();
        counted = std::move(p.histogram);
    } else {
        if (s.peaking || s.zebra) {
            marks = reusableMarks();
            fitMarks(*marks, s, shown.size());
        }
        // One pass gives the edges and, over the whole picture, the score as well; with the
        // clipping warning on, its planes too (each row read once).
        if (s.peaking)
            wholeSums = s.zebra ? laplacianAndClippingPass(shown, s.peakingThreshold, marks->peaking, marks->clippedHigh,
                                                           marks->clippedLow)
                                : laplacianPass(shown, whole, s.peakingThreshold, &marks->peaking);
        else if (s.zebra)
            findClippedPixels(shown, marks->clippedHigh, marks->clippedLow);
    }
    if (marks)
        marks->imageKey = shown.cacheKey();
    if (s.meter)
        out->score = focusScore(wholeSums && region == whole ? *wholeSums
                                                              : laplacianPass(shown, region, s.peakingThreshold, nullptr));
    if (out->score) {
        best_ = std::max(best_, *out->score);
        out->best = best_;
    }

    // The histogram counts its own clipped pixels in its pass, only on the frames it is due.
    if (s.histogram) {
        std::optional<LiveHistogram> fresh;
        if (counted) {
            fresh = counted->finish();
            histogramAtMs_ = p.histogramAtMs;
        } else if (!passed) {
            const std::int64_t now = nowMs_();
            if (histogramDue(s, now)) {
                fresh = countHistogram(shown, s.channels);
                histogramAtMs_ = now;
            }
        }
        if (fresh) {
            auto h = std::make_shared<LiveHistogram>(*fresh);
            h->serial = ++histograms_;
            histogram_ = std::move(h);
        }
        out->histogram = histogram_;
    } else {
        histogram_.reset();
    }
    out->marks = std::move(marks);
    return out;
}

} // namespace camera
