#include "library/ui/thumbnailbrowserwidget.h"

#include "library/trash.h"

#include "fakes.h"
#include "gate.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/frameextractor.h"
#include "platform/gst/gstptr.h"
#include "platform/picturecodec.h"
#include "state/usersettings.h"

#include <gst/gst.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <set>

using library::ui::ThumbnailBrowserWidget;
using platform::Bitmap;
using platform::ColorRef;
using testgate::Gate;
using testgate::LatencyProbe;

namespace {

constexpr int kAvi = 2;
constexpr ColorRef kGrey = platform::rgbColor(128, 128, 128);   // the recording picture
// The longest the UI thread may go without turning its event loop while a page fills. A grab on
// the UI thread blocks it for a whole grab (300 ms in the slow page, a pipeline's start and end in
// the real one), so the bound sits well below that; a first paint or glyph cache filled while the
// page comes in can take a tenth of a second on a busy machine and is not what this test is about.
constexpr double kMaxUiGapMs = 250;

struct KeepingTrash final : library::Trash {
    bool moveToTrash(const QString &) override { return false; }
};

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString aviLaunch(const QString &path, const QString &source)
{
    return source + QStringLiteral(" ! video/x-raw,width=64,height=48,framerate=10/1 ! videoconvert ! "
                                   "video/x-raw,format=BGR ! avimux ! filesink location=\"%1\"")
                        .arg(path);
}

platform::GstPtr<GstElement> launch(const QString &description)
{
    GError *raw = nullptr;
    GstElement *e = gst_parse_launch(description.toUtf8().constData(), &raw);
    platform::GErrorPtr error(raw);
    return platform::GstPtr<GstElement>::sink(e);
}

// A small finished AVI; false (with GStreamer's reason on stderr) when it cannot be written.
bool writeAvi(const QString &path, const QString &pattern)
{
    platform::GstPtr<GstElement> pipeline =
        launch(aviLaunch(path, QStringLiteral("videotestsrc num-buffers=40 pattern=%1").arg(pattern)));
    if (!pipeline || gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        return false;
    platform::GstPtr<GstBus> bus = platform::GstPtr<GstBus>::adopt(gst_element_get_bus(pipeline.get()));
    platform::GstMessagePtr msg(
        gst_bus_timed_pop_filtered(bus.get(), 30 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return msg && GST_MESSAGE_TYPE(msg.get()) == GST_MESSAGE_EOS;
}

// An AVI that a live source keeps writing until the writer goes: a recording in progress.
class GrowingAvi
{
public:
    explicit GrowingAvi(const QString &path)
        : pipeline_(launch(aviLaunch(path, QStringLiteral("videotestsrc is-live=true pattern=ball"))))
    {
        if (pipeline_)
            gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING);
    }
    ~GrowingAvi()
    {
        if (pipeline_)
            gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    }
    bool started() const { return bool(pipeline_); }

private:
    platform::GstPtr<GstElement> pipeline_;
};

bool haveAviElements()
{
    for (const char *name : {"videotestsrc", "videoconvert", "avimux", "filesink", "avidemux"})
        if (!platform::GstPtr<GstElementFactory>::adopt(gst_element_factory_find(name)))
            return false;
    return true;
}

} // namespace

struct GrabFixture : ::testing::Test {
    fakes::TemporaryProfile profile;
    state::UserPaths paths = state::UserPaths::fromProfileDir(profile.path());
    state::ListPaths cur = paths.defListPath;
    platform::DiagnosticsLog log;
    KeepingTrash trash;
    QString recording = profile.path() + "/Recording.bmp";
    // Declared before the browser: its grabs, still running while it is destroyed, use these.
    Gate gate;
    std::atomic<int> grabsOnUiThread = 0;
    std::mutex grabbedMutex;
    std::multiset<QString> grabbed;
    std::unique_ptr<ThumbnailBrowserWidget> browser;

    GrabFixture()
    {
        state::createUserFolders(paths);
        EXPECT_TRUE(platform::writeBmpFile(recording, Bitmap(32, 24, kGrey)).ok());
    }
    ~GrabFixture() override { browser.reset(); }

    // The browser with `grab` behind a wrapper that notes each call and the thread it came on.
    void build(library::FrameGrabber grab)
    {
        QThread *uiThread = QThread::currentThread();
        library::ui::ThumbnailBrowserDeps deps{
            cur, paths.defListPath, log, trash,
            [this, uiThread, grab = std::move(grab)](const QString &path, int index) {
                if (QThread::currentThread() == uiThread)
                    ++grabsOnUiThread;
                {
                    std::lock_guard lock(grabbedMutex);
                    grabbed.insert(path);
                }
                return grab(path, index);
            },
            recording};
        browser = std::make_unique<ThumbnailBrowserWidget>(std::move(deps));
    }
    QString avi(int n) const { return cur[kAvi] + QStringLiteral("/Avi_20141111_%1.avi").arg(n, 5, 10, QChar(u'0')); }
    // A picture whose colour names the file, so a slot shows whose frame it got.
    static ColorRef colourOf(const QString &path)
    {
        const int n = path.section(u'_', -1).section(u'.', 0, 0).toInt();
        return platform::rgbColor(n * 20, 255 - n * 20, 60);
    }
    ColorRef shown(int slot) const
    {
        const QImage image = browser->slotLabel(kAvi, slot)->pixmap().toImage();
        return image.isNull() ? ColorRef(0xFFFFFFFF) : platform::fromQRgb(image.pixel(20, 20));
    }
    bool settled() const
    {
        return QTest::qWaitFor([this] { return browser->pendingThumbnails() == 0; }, 60000);
    }
    int grabCount(const QString &path)
    {
        std::lock_guard lock(grabbedMutex);
        return int(grabbed.count(path));
    }
    // Five files no frame can come from: random bytes behind an AVI header, a cut recording, an
    // empty file, a header alone, and (last) a place for a file still being written.
    void brokenPage(const QString &growing)
    {
        std::mt19937 random(20141111);
        QByteArray noise("RIFF\x00\x00\x01\x00" "AVI LIST", 16);
        while (noise.size() < 64 * 1024)
            noise.append(char(random() & 0xFF));
        put(avi(1), noise);
        const QString whole = profile.path() + "/whole.avi";
        ASSERT_TRUE(writeAvi(whole, QStringLiteral("smpte")));
        const QByteArray clip = readAll(whole);
        put(avi(2), clip.left(clip.size() * 2 / 5));
        put(avi(3), QByteArray());
        put(avi(4), clip.left(12));
        if (growing.isEmpty())
            put(avi(5), clip.left(clip.size() / 2));
        else
            ASSERT_EQ(growing, avi(5));
    }
    // Fills the AVI page with a latency probe running; checks and reports the UI thread's worst gap.
    void fillPageWatched(const char *what)
    {
        LatencyProbe probe;
        probe.start();
        browser->showKind(kAvi);
        EXPECT_TRUE(settled());
        probe.stop();
        EXPECT_GT(probe.ticks(), 0);
        RecordProperty("worstUiGapMs", std::to_string(probe.worstGapMs()));
        RecordProperty("worstUiGapWithoutRunQueueMs", std::to_string(probe.worstGapWithoutRunQueueMs()));
        std::printf("worst UI gap while %s: %.1f ms, %.1f ms of it not waiting for a processor\n", what,
                    probe.worstGapMs(), probe.worstGapWithoutRunQueueMs());
        EXPECT_LT(probe.worstGapWithoutRunQueueMs(), kMaxUiGapMs);
    }
};

TEST_F(GrabFixture, APageOfSlowVideosKeepsTheUiResponsive)
{
    if (!haveAviElements())
        GTEST_SKIP() << "videotestsrc, videoconvert or avimux (gst-plugins-base/good) is not installed";
    brokenPage({});
    // 300 ms a call, spent waiting on a condition that never comes, on whatever thread calls it.
    build([this](const QString &path, int) -> std::optional<Bitmap> {
        gate.pass(std::chrono::milliseconds(300));
        return Bitmap(64, 48, colourOf(path));
    });
    fillPageWatched("five slow grabs ran");
    EXPECT_EQ(grabsOnUiThread.load(), 0);
    for (int s = 0; s < 5; ++s)
        EXPECT_EQ(shown(s), colourOf(avi(s + 1))) << s;
}

TEST_F(GrabFixture, APageOfBrokenAndGrowingVideosKeepsTheUiResponsiveWithTheRealGrabber)
{
    if (!haveAviElements())
        GTEST_SKIP() << "videotestsrc, videoconvert, avimux or avidemux (gst-plugins-base/good) is not installed";
    GrowingAvi growing(avi(5));
    ASSERT_TRUE(growing.started());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(avi(5)).size() > 4096; }, 20000));
    brokenPage(avi(5));
    build([](const QString &path, int index) { return platform::grabFrameForThumbnail(path, index); });
    fillPageWatched("the real grabber tried broken and growing files");
    EXPECT_EQ(grabsOnUiThread.load(), 0);
    // No frame from the broken ones: the recording picture, with the failure logged.
    // (The cut recording may still give a frame, the growing one too.)
    for (int s : {0, 2, 3})
        EXPECT_EQ(shown(s), kGrey) << s;
    EXPECT_TRUE(log.contains(QStringLiteral("No frame of %1 at FileList").arg(avi(3))));
}

TEST_F(GrabFixture, AGrabForAPageTurnedAwayNeverReachesTheNewPage)
{
    // Seven videos: the second page has two, so three of its slots must stay empty.
    for (int n = 1; n <= 7; ++n)
        put(avi(n), "RIFF");
    Gate later;
    build([this, &later](const QString &path, int) -> std::optional<Bitmap> {
        (path == avi(1) || path == avi(2) ? gate : later).pass();
        return Bitmap(64, 48, colourOf(path));
    });
    browser->showKind(kAvi);
    EXPECT_EQ(shown(0), kGrey);   // the placeholder until the frame comes
    // Files 1 and 2 finish and post their result; the two threads then take files 3 and 4, which
    // proves the first results are posted. The event loop must not run meanwhile, so the wait
    // spins without it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return gate.entered() == 2; }, 20000));
    gate.open();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (later.entered() < 2 && std::chrono::steady_clock::now() < deadline)
        QThread::yieldCurrentThread();
    ASSERT_EQ(later.entered(), 2);

    // Turned away with two results waiting in the queue, two grabs running and one not started.
    browser->turnPage(kAvi, true);
    QCoreApplication::sendPostedEvents();
    for (int s = 0; s < 5; ++s)
        for (int n = 1; n <= 5; ++n)
            EXPECT_NE(shown(s), colourOf(avi(n))) << "slot " << s << " shows file " << n;
    EXPECT_EQ(shown(0), kGrey);

    later.open();
    ASSERT_TRUE(settled());
    EXPECT_EQ(shown(0), colourOf(avi(6)));
    EXPECT_EQ(shown(1), colourOf(avi(7)));
    for (int s = 2; s < 5; ++s)
        EXPECT_TRUE(browser->slotLabel(kAvi, s)->pixmap().isNull()) << s;
    EXPECT_EQ(grabCount(avi(5)), 0);   // dropped before it started
    // The grabs of files 3 and 4 were cancelled while they ran, so no pending count waits for
    // them: the browser (whose worker waits for running jobs) goes before `later` does.
    browser.reset();
}

TEST_F(GrabFixture, ARefreshKeepsTheGrabAlreadyOnItsWay)
{
    put(avi(1), "RIFF");
    build([this](const QString &path, int) -> std::optional<Bitmap> {
        gate.pass();
        return Bitmap(64, 48, colourOf(path));
    });
    browser->showKind(kAvi);
    ASSERT_TRUE(QTest::qWaitFor([&] { return gate.entered() == 1; }, 20000));
    browser->FileList(kAvi);
    browser->FileList(kAvi);
    EXPECT_EQ(browser->pendingThumbnails(), 1);
    gate.open();
    ASSERT_TRUE(settled());
    EXPECT_EQ(shown(0), colourOf(avi(1)));
    EXPECT_EQ(grabCount(avi(1)), 1);
    browser->FileList(kAvi);   // now cached
    EXPECT_EQ(browser->pendingThumbnails(), 0);
    EXPECT_EQ(shown(0), colourOf(avi(1)));
}

TEST_F(GrabFixture, DestroyedWhileGrabsRunNothingIsDelivered)
{
    for (int n = 1; n <= 5; ++n)
        put(avi(n), "RIFF");
    // A grab has no way to be told to stop: each of these holds its thread for a second.
    build([this](const QString &, int) -> std::optional<Bitmap> {
        gate.pass(std::chrono::seconds(1));
        return std::nullopt;   // each delivery would log "No frame"
    });
    browser->showKind(kAvi);
    ASSERT_TRUE(QTest::qWaitFor([&] { return gate.entered() == 2; }, 20000));
    browser.reset();
    EXPECT_EQ(gate.left(), gate.entered());   // the running grabs were waited for, not abandoned
    QCoreApplication::sendPostedEvents();
    for (const QString &line : log.lines())
        EXPECT_FALSE(line.startsWith(QStringLiteral("No frame"))) << line.toStdString();
}

TEST_F(GrabFixture, AGoodVideosFrameReplacesThePlaceholder)
{
    if (!haveAviElements())
        GTEST_SKIP() << "videotestsrc, videoconvert, avimux or avidemux (gst-plugins-base/good) is not installed";
    ASSERT_TRUE(writeAvi(avi(1), QStringLiteral("red")));
    build([](const QString &path, int index) { return platform::grabFrameForThumbnail(path, index); });
    browser->showKind(kAvi);
    EXPECT_EQ(shown(0), kGrey);
    ASSERT_TRUE(settled());
    const ColorRef c = shown(0);
    EXPECT_GT(platform::redOf(c), 200);
    EXPECT_LT(platform::greenOf(c), 60);
    EXPECT_LT(platform::blueOf(c), 60);
    EXPECT_EQ(browser->slotLabel(kAvi, 0)->pixmap().size(), library::kThumbnailSize);
    // Back on the page: the cached thumbnail, no second grab.
    browser->setCurrentIndex(0);
    browser->setCurrentIndex(kAvi);
    EXPECT_EQ(browser->pendingThumbnails(), 0);
    EXPECT_EQ(shown(0), c);
    EXPECT_EQ(grabCount(avi(1)), 1);
}
