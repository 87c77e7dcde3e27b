// The focus aids on real pipelines of the virtual camera: its "Focus (absolute)" control, the
// sweep the sharpness meter follows, focus peaking and the histogram on the frames the video
// area shows, and the marks that never reach a snapshot.
#include "camerafixture.h"
#include "micrometeredges.h"

#include "camera/bitplane.h"
#include "camera/clipmask.h"
#include "camera/focusaidanalyzer.h"
#include "camera/ui/videowidget.h"
#include "platform/controldevice.h"
#include "platform/gst/specimen.h"

#include <gst/gst.h>

#include <QTest>
#include <QThread>

#include <array>
#include <atomic>
#include <mutex>
#include <set>

namespace {

using camera::FocusAidAnalysis;

struct FocusStack : VirtualCameraStack {
    explicit FocusStack(const QString &options = QStringLiteral("1")) : VirtualCameraStack(options)
    {
        camera.session().setFrameAnalyzer(analyzer);
    }
    // The aids of `settings` on frames shown at `shown`, and the camera connected.
    bool start(const camera::FocusAidSettings &settings, QSize shown)
    {
        analyzer->setSettings(settings);
        camera.setPreviewSize(shown);
        return connect();
    }
    std::shared_ptr<const FocusAidAnalysis> analysis() const
    {
        return std::dynamic_pointer_cast<const FocusAidAnalysis>(camera.latestFrame().analysis);
    }
    // Turns the focus control and waits until the frames shown were made after it: the source
    // repeats the new picture from its next frame once it is drawn, and a few frames may be on
    // their way.
    bool focusTo(int focus)
    {
        platform::ControlDevice *controls = camera.controlDevice();
        if (!controls || controls->setValue(platform::cid::FocusAbsolute, focus))
            return false;
        // Generous limits: drawing and encoding a blurred 1600 x 1200 specimen takes seconds
        // under a thread checker; a normal run settles in well under one.
        return QTest::qWaitFor([&] { return rig.focusSettled(); }, 30000) && waitFrames(8, 30000);
    }
    std::shared_ptr<camera::FocusAidAnalyzer> analyzer = std::make_shared<camera::FocusAidAnalyzer>();
};

} // namespace

TEST(VirtualCameraFocus, IsAControlFromZeroToOneHundredSharpAtFifty)
{
    VirtualCameraStack stack;
    ASSERT_TRUE(stack.searchVirtual());
    std::unique_ptr<platform::ControlDevice> controls = stack.backend.openControls(stack.rig.devices().front());
    ASSERT_TRUE(controls);
    const auto info = controls->info(platform::cid::FocusAbsolute);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, QStringLiteral("Focus (absolute)"));
    EXPECT_EQ(info->type, platform::ControlType::Integer);
    EXPECT_EQ(info->minimum, 0);
    EXPECT_EQ(info->maximum, 100);
    EXPECT_EQ(info->defaultValue, 50);
    EXPECT_EQ(controls->value(platform::cid::FocusAbsolute), 50);
    bool listed = false;
    for (const platform::ControlInfo &c : controls->controls())
        listed = listed || c.id == platform::cid::FocusAbsolute;
    EXPECT_TRUE(listed);
    EXPECT_FALSE(controls->setValue(platform::cid::FocusAbsolute, 140));
    EXPECT_EQ(controls->value(platform::cid::FocusAbsolute), 100);   // clamped, as V4L2 does
    stack.rig.setFocus(-3);
    EXPECT_EQ(controls->value(platform::cid::FocusAbsolute), 0);
}

TEST(VirtualCameraFocus, TheSweepPeaksAtFiftyOnTheShownFrames)
{
    SKIP_WITHOUT_GST_PLUGINS();
    FocusStack stack;
    camera::FocusAidSettings s;
    s.meter = true;
    ASSERT_TRUE(stack.start(s, QSize(400, 300)));
    std::array<double, 11> score{};
    for (int k = 0; k <= 10; ++k) {
        ASSERT_TRUE(stack.focusTo(10 * k)) << "focus " << 10 * k;
        const auto a = stack.analysis();
        ASSERT_TRUE(a && a->score);
        EXPECT_EQ(a->size, QSize(400, 300));
        score[std::size_t(k)] = *a->score;
    }
    EXPECT_EQ(std::max_element(score.begin(), score.end()) - score.begin(), 5);
    for (int k : {5, 4})
        EXPECT_GT(score[std::size_t(k)], score[std::size_t(k - 1)]) << "focus " << 10 * k;
    for (int k : {5, 6})
        EXPECT_GT(score[std::size_t(k)], score[std::size_t(k + 1)]) << "focus " << 10 * k;
    // The best since the last reset is the score at 50.
    EXPECT_DOUBLE_EQ(stack.analysis()->best, score[5]);
}

TEST(VirtualCameraFocus, ATurnReturnsAtOnceAndTheNewestPictureWins)
{
    // The blurred specimen is drawn off the UI thread: the control returns before the picture
    // is ready (the painter reports back through this thread's events, so nothing can have
    // settled before they run), frames keep coming while it is drawn, and after quick turns
    // the source sends the picture of the last one. Raw and pre-encoded MJPEG sources alike.
    SKIP_WITHOUT_GST_PLUGINS();
    for (const QString &options : {QStringLiteral("1"), QStringLiteral("preencoded")}) {
        FocusStack stack(options);
        camera::FocusAidSettings s;
        s.meter = true;
        ASSERT_TRUE(stack.start(s, QSize(400, 300))) << options.toStdString();
        ASSERT_TRUE(stack.waitFrames(4));
        ASSERT_TRUE(stack.rig.focusSettled());
        const double sharp = *stack.analysis()->score;
        platform::ControlDevice *controls = stack.camera.controlDevice();
        ASSERT_FALSE(controls->setValue(platform::cid::FocusAbsolute, 0));
        EXPECT_FALSE(stack.rig.focusSettled());
        ASSERT_TRUE(stack.waitFrames(2)) << "frames while the picture is drawn";
        ASSERT_FALSE(controls->setValue(platform::cid::FocusAbsolute, 100));
        ASSERT_FALSE(controls->setValue(platform::cid::FocusAbsolute, 90));
        ASSERT_TRUE(QTest::qWaitFor([&] { return stack.rig.focusSettled(); }, 10000));
        ASSERT_TRUE(stack.waitFrames(8));
        const double at90 = *stack.analysis()->score;
        EXPECT_LT(at90, 0.5 * sharp) << options.toStdString();
        // Back to the sharp position: the very picture of the start, so the very score.
        ASSERT_TRUE(stack.focusTo(50));
        EXPECT_DOUBLE_EQ(*stack.analysis()->score, sharp) << options.toStdString();
    }
}

TEST(VirtualCameraFocus, PeakingMarksTheTenthDivisionsWhenSharpAndFewAtEighty)
{
    // On the frames the video area shows, at its default 400 x 300 and at the camera's own size.
    SKIP_WITHOUT_GST_PLUGINS();
    for (const QSize shown : {QSize(400, 300), QSize(640, 480)}) {
        FocusStack stack;
        camera::FocusAidSettings s;
        s.peaking = true;
        ASSERT_TRUE(stack.start(s, shown));
        ASSERT_TRUE(stack.focusTo(50));
        auto a = stack.analysis();
        ASSERT_TRUE(a && a->marks);
        EXPECT_EQ(a->size, shown);
        EXPECT_GE(micrometer::tenthDivisionEdges(a->marks->peaking).share(), 0.9) << shown.width();
        ASSERT_TRUE(stack.focusTo(80));
        a = stack.analysis();
        ASSERT_TRUE(a && a->marks);
        EXPECT_LT(micrometer::tenthDivisionEdges(a->marks->peaking).share(), 0.1) << shown.width();
    }
}

TEST(VirtualCameraFocus, ThePreEncodedMjpegSourceIsEncodedAgainAtTheNewFocus)
{
    SKIP_WITHOUT_GST_PLUGINS();
    FocusStack stack(QStringLiteral("preencoded"));
    camera::FocusAidSettings s;
    s.meter = true;
    stack.camera.SetPreviewDefalutState(1, true);   // MJPG 1600 x 1200
    ASSERT_TRUE(stack.start(s, QSize(400, 300)));
    ASSERT_EQ(stack.camera.currentFormat().code, platform::kFourccMjpg);
    ASSERT_TRUE(stack.focusTo(50));
    const double sharp = *stack.analysis()->score;
    ASSERT_TRUE(stack.focusTo(70));
    EXPECT_LT(*stack.analysis()->score, sharp * 0.5);
}

TEST(VirtualCameraFocus, OnTheTiltedSpecimenTheSharpBandFollowsTheFocusControl)
{
    // The tilted slide is 30 high at its left edge and 70 at its right: turning the live focus
    // to 35 makes the left part the sharp one, to 65 the right part, as a live focus stack needs.
    SKIP_WITHOUT_GST_PLUGINS();
    FocusStack stack(QStringLiteral("tilted"));
    camera::FocusAidSettings s;
    s.meter = true;
    ASSERT_TRUE(stack.start(s, QSize(640, 480)));
    const auto scoreOf = [&stack, &s](QRectF region) {
        s.region = region;
        stack.analyzer->setSettings(s);
        if (!stack.waitFrames(4))
            return -1.0;
        const auto a = stack.analysis();
        return a && a->score ? *a->score : -1.0;
    };
    const QRectF left(0.05, 0.1, 0.25, 0.8), right(0.7, 0.1, 0.25, 0.8);
    ASSERT_TRUE(stack.focusTo(35));
    const double leftAt35 = scoreOf(left), rightAt35 = scoreOf(right);
    ASSERT_TRUE(stack.focusTo(65));
    const double leftAt65 = scoreOf(left), rightAt65 = scoreOf(right);
    EXPECT_GT(leftAt35, 2 * rightAt35);
    EXPECT_GT(rightAt65, 2 * leftAt65);
    EXPECT_GT(leftAt35, 2 * leftAt65);
}

TEST(VirtualCameraFocus, TheHistogramAndZebraOfAnOverexposedPictureAgree)
{
    SKIP_WITHOUT_GST_PLUGINS();
    FocusStack stack;
    camera::FocusAidSettings s;
    s.zebra = s.histogram = true;
    s.channels = camera::HistogramChannels::Rgb;
    // MJPEG: the JPEG is full range, so a saturated picture reaches 255 (the raw path's YUY2
    // conversion stops white at 253).
    stack.camera.SetPreviewDefalutState(1, true);
    ASSERT_TRUE(stack.start(s, QSize(400, 300)));
    // Overexposed: the brightness and the contrast turned up as far as they go.
    ASSERT_FALSE(stack.camera.controlDevice()->setValue(platform::cid::Brightness, 64));
    ASSERT_FALSE(stack.camera.controlDevice()->setValue(platform::cid::Contrast, 95));
    ASSERT_TRUE(stack.waitFrames(8));
    // Wait for a histogram counted after the change (at most a tenth of a second apart).
    std::shared_ptr<const FocusAidAnalysis> a;
    for (int i = 0; i < 20 && !(a && a->histogram && a->histogram->clippedHigh > 0); ++i) {
        ASSERT_TRUE(stack.waitFrames(2));
        a = stack.analysis();
    }
    ASSERT_TRUE(a && a->marks && a->histogram);
    const QImage &frame = stack.camera.latestFrame().image;
    std::uint64_t high = 0, low = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb p = frame.pixel(x, y);
            const bool h = qRed(p) == 255 || qGreen(p) == 255 || qBlue(p) == 255;
            high += h;
            low += !h && (qRed(p) == 0 || qGreen(p) == 0 || qBlue(p) == 0);
            ASSERT_EQ(a->marks->clippedHigh.test(x, y), h) << x << "," << y;
        }
    EXPECT_GT(high, std::uint64_t(frame.width() * frame.height() / 4));   // overexposed: a large share is white
    EXPECT_EQ(a->marks->clippedHigh.count(), high);
    EXPECT_EQ(a->marks->clippedLow.count(), low);
    EXPECT_EQ(a->histogram->pixels, std::uint64_t(400 * 300));
    EXPECT_GT(a->histogram->red[255], 0u);
}

TEST(VirtualCameraFocus, MarksAreShownButNeverGrabbed)
{
    SKIP_WITHOUT_GST_PLUGINS();
    FocusStack stack;
    camera::FocusAidSettings s;
    s.peaking = true;
    stack.analyzer->setSettings(s);
    camera::ui::VideoWidget widget;
    widget.resize(400, 300);
    stack.camera.setPreviewSize(widget.shownSize());
    ASSERT_TRUE(stack.connect());
    ASSERT_TRUE(stack.waitFrames(3));
    const platform::VideoFrame &frame = stack.camera.latestFrame();
    const auto a = stack.analysis();
    ASSERT_TRUE(a && a->marks);
    widget.setFrame(frame.image);
    widget.setFocusMarks(a->marks, 0xFF00FF00u);   // green: the specimen has none of it
    ASSERT_TRUE(widget.showsFocusMarks());
    const auto green = [](const QImage &img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += (img.pixel(x, y) & 0xFFFFFF) == 0x00FF00;
        return n;
    };
    EXPECT_EQ(green(widget.grabVideo()), int(a->marks->peaking.count()));
    EXPECT_EQ(green(widget.shownFrame()), 0);
    EXPECT_EQ(green(widget.withOverlay(frame.image)), 0);
    platform::Bitmap snapshot;
    ASSERT_TRUE(stack.camera.VideoSnapShot(snapshot, 0));
    EXPECT_EQ(green(snapshot.image()), 0);
    ASSERT_TRUE(stack.camera.GetStreamImage(snapshot));
    EXPECT_EQ(green(snapshot.image()), 0);
}

TEST(VirtualCameraMjpeg, ShowsTheSpecimenAtItsOwnLevelsNotSqueezedToVideoRange)
{
    // The encoder is fed full-range I420, as a JPEG holds it: a decoder gets the specimen's own
    // levels back (within JPEG's loss), not white at 235 and black at 16.
    SKIP_WITHOUT_GST_PLUGINS();
    VirtualCameraStack stack;
    stack.camera.SetPreviewDefalutState(1, true);
    ASSERT_TRUE(stack.connect());
    ASSERT_TRUE(stack.waitFrames(3));
    const QImage frame = platform::fullPicture(stack.camera.latestFrame());
    const QImage drawn = platform::drawSpecimen(1600, 1200);
    ASSERT_EQ(frame.size(), drawn.size());
    for (const QPoint at : {QPoint(800, 600), QPoint(300, 900), QPoint(1500, 100)})
        EXPECT_NEAR(qGreen(frame.pixel(at)), qGreen(drawn.pixel(at)), 4) << at.x() << "," << at.y();
}

TEST(VirtualCameraFocus, TheAnalysisRunsOnTheStreamingThreadNeverOnTheUiThread)
{
    SKIP_WITHOUT_GST_PLUGINS();
    // An analyzer that notes the thread of every call and hands on to the real one.
    struct Watching final : platform::FrameAnalyzer {
        camera::FocusAidAnalyzer inner;
        std::mutex mutex;
        std::set<QThread *> threads;
        std::shared_ptr<const platform::FrameAnalysis> analyze(const QImage &shown, std::uint64_t sequence) override
        {
            {
                std::lock_guard lock(mutex);
                threads.insert(QThread::currentThread());
            }
            return inner.analyze(shown, sequence);
        }
    };
    auto watching = std::make_shared<Watching>();
    camera::FocusAidSettings s;
    s.meter = s.peaking = s.zebra = s.histogram = true;
    watching->inner.setSettings(s);
    VirtualCameraStack stack;
    stack.camera.session().setFrameAnalyzer(watching);
    ASSERT_TRUE(stack.connect());
    ASSERT_TRUE(stack.waitFrames(5));
    EXPECT_TRUE(std::dynamic_pointer_cast<const FocusAidAnalysis>(stack.camera.latestFrame().analysis));
    stack.camera.DeviceDisConnect();   // the streaming threads are joined
    std::lock_guard lock(watching->mutex);
    ASSERT_FALSE(watching->threads.empty());
    EXPECT_FALSE(watching->threads.count(QThread::currentThread()));
}

TEST(VirtualCameraFocus, RowsReadWhileTheFrameIsMadeGiveWhatTheFinishedFrameGives)
{
    // Shown larger than half the camera's 1600 x 1200 MJPEG frames, each frame is filtered to the
    // shown size row by row and the aids read the rows as they are made; what they find must be
    // what the finished frame gives.
    SKIP_WITHOUT_GST_PLUGINS();
    struct Counting final : platform::FrameAnalyzer, platform::ShownRows {
        camera::FocusAidAnalyzer inner;
        platform::ShownRows *innerRows = nullptr;
        std::atomic<int> rows{0};
        std::shared_ptr<const platform::FrameAnalysis> analyze(const QImage &shown, std::uint64_t sequence) override
        {
            return inner.analyze(shown, sequence);
        }
        platform::ShownRows *shownRows() override
        {
            innerRows = inner.shownRows();
            return innerRows ? this : nullptr;
        }
        void begin(QSize size) override { innerRows->begin(size); }
        void row(const QRgb *pixels) override
        {
            rows.fetch_add(1, std::memory_order_relaxed);
            innerRows->row(pixels);
        }
    };
    auto counting = std::make_shared<Counting>();
    camera::FocusAidSettings s;
    s.meter = s.peaking = s.zebra = s.histogram = true;
    counting->inner.setSettings(s);
    VirtualCameraStack stack(QStringLiteral("preencoded"));
    stack.camera.session().setFrameAnalyzer(counting);
    stack.camera.SetPreviewDefalutState(1, true);   // MJPG 1600 x 1200
    const QSize shown(1024, 768);
    stack.camera.setPreviewSize(shown);
    ASSERT_TRUE(stack.connect());
    ASSERT_EQ(stack.camera.currentFormat().code, platform::kFourccMjpg);
    ASSERT_TRUE(stack.waitFrames(5));
    const platform::VideoFrame frame = stack.camera.latestFrame();
    const auto a = std::dynamic_pointer_cast<const FocusAidAnalysis>(frame.analysis);
    ASSERT_TRUE(a && a->marks && a->score && a->histogram);
    ASSERT_EQ(frame.image.size(), shown);
    EXPECT_GE(counting->rows.load(), 5 * shown.height());
    camera::BitPlane peaking(shown.width(), shown.height()), high, low;
    const camera::LaplacianSums sums =
        camera::laplacianPass(frame.image, frame.image.rect(), camera::kPeakingThreshold, &peaking);
    camera::findClippedPixels(frame.image, high, low);
    EXPECT_DOUBLE_EQ(*a->score, camera::focusScore(sums));
    EXPECT_EQ(a->marks->peaking.count(), peaking.count());
    EXPECT_EQ(a->marks->clippedHigh.count(), high.count());
    EXPECT_EQ(a->marks->clippedLow.count(), low.count());
    EXPECT_EQ(a->marks->imageKey, frame.image.cacheKey());
    EXPECT_EQ(a->histogram->pixels, std::uint64_t(shown.width()) * std::uint64_t(shown.height()));
}
