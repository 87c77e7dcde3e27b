#pragma once

#include "camera/focusmarks.h"
#include "camera/focusmeasure.h"
#include "camera/livehistogram.h"
#include "platform/frameanalyzer.h"

#include <QRectF>
#include <QSize>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace camera {

// Which focus aids run, as the UI thread sets them.
struct FocusAidSettings {
    bool meter = false;       // the sharpness meter's score
    bool peaking = false;     // focus peaking marks
    bool zebra = false;       // the clipping warning's marks
    bool histogram = false;   // the live histogram
    HistogramChannels channels = HistogramChannels::Luma;
    // The meter's rectangle in picture coordinates scaled to 0..1, as the camera delivers the
    // picture (before the flip mode); empty: the whole picture.
    QRectF region;
    int peakingThreshold = kPeakingThreshold;
    bool any() const { return meter || peaking || zebra || histogram; }
    friend bool operator==(const FocusAidSettings &, const FocusAidSettings &) = default;
};

// What the focus aids found in one shown frame; it reaches the UI thread with the frame.
struct FocusAidAnalysis final : platform::FrameAnalysis {
    std::uint64_t sequence = 0;
    QSize size;                        // the shown frame's
    std::optional<double> score;       // the meter's focus score, when the meter runs
    double best = 0;                   // the highest score since the last reset
    std::shared_ptr<const FocusMarks> marks;           // when peaking or the clipping warning runs
    std::shared_ptr<const LiveHistogram> histogram;    // the newest, perhaps of an earlier frame
};

// The meter's green zone: the score is within 5% of the best (and there is a best).
inline constexpr double kNearBestShare = 0.95;
inline bool scoreNearBest(double score, double best) { return best > 0 && score >= kNearBestShare * best; }

// The pixels of `region` (normalised, see FocusAidSettings) in a picture of `size`; the whole
// picture for an empty region, never an empty rectangle for a non-empty picture.
QRect regionInPixels(const QRectF &region, QSize size);

// The focus aids on the capture pipeline's streaming thread: the meter's score over the whole
// picture or its rectangle, with the best since the last reset; focus peaking and the clipping
// warning as marks; and the live histogram, counted at most every histogramIntervalMs(). The UI
// thread changes the settings and resets the best at any time; each frame reads them once.
// Only the passes of the aids that are on run; the marks' planes are reused once the UI thread
// has let go of them, so a frame allocates nothing in the steady state.
class FocusAidAnalyzer final : public platform::FrameAnalyzer, private platform::ShownRows
{
public:
    // Four histograms a second: as fast as an eye follows a plot that moves while exposure or
    // light is turned, and counting every pixel of a frame costs several copies of it.
    static constexpr std::int64_t kHistogramIntervalMs = 250;
    // Red, green and blue take three counts a pixel against luma's one: twice a second keeps
    // their cost per frame below a copy of the frame.
    static constexpr std::int64_t kRgbHistogramIntervalMs = 500;
    static constexpr std::int64_t histogramIntervalMs(HistogramChannels channels)
    {
        return channels == HistogramChannels::Rgb ? kRgbHistogramIntervalMs : kHistogramIntervalMs;
    }

    // `nowMs`: a monotonic clock in milliseconds (any thread); tests pass their own.
    explicit FocusAidAnalyzer(std::function<std::int64_t()> nowMs = {});

    // Any thread. A new rectangle starts the best over, as a reset does.
    void setSettings(const FocusAidSettings &settings);
    FocusAidSettings settings() const;
    // Any thread: the best score starts again from the next frame.
    void resetBest();

    // Streaming thread. Frames whose rows came through shownRows() are not read again.
    std::shared_ptr<const platform::FrameAnalysis> analyze(const QImage &shown, std::uint64_t sequence) override;
    platform::ShownRows *shownRows() override;

private:
    // The whole-picture passes of one frame, fed its rows while it is made.
    struct RowPasses {
        bool asked = false;   // shownRows() was called for the frame analyze() gets next
        FocusAidSettings settings;
        QSize size;
        int rows = 0;
        bool laplacian = false;
        std::shared_ptr<FocusMarks> marks;
        std::unique_ptr<HistogramCounter> histogram;   // when one is due
        std::int64_t histogramAtMs = 0;                 // when it fell due
    };
    void begin(QSize size) override;
    void row(const QRgb *pixels) override;
    // Sizes the planes of the aids that are on and drops the others'.
    static void fitMarks(FocusMarks &marks, const FocusAidSettings &s, QSize size);
    bool histogramDue(const FocusAidSettings &s, std::int64_t now) const;

    // Marks live while a frame, the mailbox and the video area hold them: a few in flight.
    static constexpr std::size_t kMarksPoolSize = 4;
    std::shared_ptr<FocusMarks> reusableMarks();

    std::function<std::int64_t()> nowMs_;
    mutable std::mutex mutex_;   // guards settings_
    FocusAidSettings settings_;
    std::atomic<std::uint64_t> resetRequests_{0};
    // Streaming thread only.
    std::uint64_t resetsSeen_ = 0;
    double best_ = 0;
    std::shared_ptr<const LiveHistogram> histogram_;
    std::int64_t histogramAtMs_ = 0;
    std::uint64_t histograms_ = 0;
    std::vector<std::shared_ptr<FocusMarks>> marksPool_;
    RowPasses rowPasses_;
    const platform::SimdLevel simdLevel_ = platform::bestSimdLevel();   // asked once, not per row
    LaplacianStream laplacian_;
};

} // namespace camera
