#include "camera/ui/cameracontroller.h"
#include "app/ui/mainwindow.h"
#include "app/ui/shell.h"
#include "imaging/ui/stillimagecontroller.h"
#include "app/ui/messagepresenter.h"
#include "camera/ui/recordingcontroller.h"
#include "camera/ui/compressorfilterdialog.h"
#include "camera/ui/encodersettingsdialog.h"
#include "camera/videocamerads.h"
#include "clipcheck.h"
#include "diskcapacity.h"
#include "fakes.h"
#include "scripteddialogs.h"
#include "stillpeers.h"
#include "library/capturesaver.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "platform/avirepair.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/gstptr.h"
#include "platform/gst/systemmediabackend.h"
#include "platform/gst/virtualcamera.h"
#include "platform/iniprofilestore.h"
#include "platform/vendorchannel.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/resource.h>

using namespace app::ui;
using camera::ui::CameraController;
using camera::ui::RecordingController;
using imaging::ui::StillImageController;

namespace {

struct ScriptedPresenter final : MessagePresenter {
    QStringList texts;
    int show(const QString &text, const QString &, bool, int) override
    {
        texts << text;
        return kResultOk;
    }
};


// The real main window with its camera and recording sides on the virtual camera, and the still
// image whose library gets the recordings. The peers' ports are answered as the program does for
// these three features; the save dialog and the other dialogs as the test says.
struct Window final : camera::ui::CameraPort, camera::ui::RecordingPort, fakes::StillPeers {
    Window() : rig(*platform::VirtualCameraOptions::parse(QStringLiteral("1")), log), backend(log, &rig)
    {
        fifoPath = fifoDir.filePath(QStringLiteral("control"));
        EXPECT_TRUE(rig.listenOnFifo(fifoPath));
        shell = std::make_unique<Shell>(ShellDeps{QStringLiteral(SENDRA_PROGRAM_DIR), paths, clock, *store, vendor, log,
                                                  QString(), true, &presenter, &dialogs});
        const feature::ui::FeatureContext ctx = shell->context();
        still = std::make_unique<StillImageController>(ctx, *this, *shell->window().stillView(), library::FrameGrabber{});
        shell->window().placeLibrary(&still->browser());
        cameraSide = std::make_unique<CameraController>(ctx, *this, backend, *shell->window().videoArea(), shell->eetiCom());
        recording = std::make_unique<RecordingController>(ctx, *this, cameraSide->camera(), still->captureCounter());
        for (Feature *f : std::initializer_list<Feature *>{still.get(), cameraSide.get(), recording.get()})
            shell->addFeature(f);
        dialogs.file = [this](QFileDialog &d) -> std::optional<QString> {
            const QFileInfo proposed(d.selectedFiles().value(0));
            requests.push_back({1, d.directory().absolutePath(), proposed.completeBaseName()});
            return chosenPath;
        };
        dialogs.other = [this](QDialog &d) {
            dialogsShown << d.objectName();
            return answerDialog ? answerDialog(d) : int(QDialog::Rejected);
        };
        cameraSide->startUp();
        shell->controls().mainButton(state::ControlId::Connect_Btn)->click();
    }
    ~Window()
    {
        shell->window().close();   // the close sequence, as the program ends
        recording.reset();
        cameraSide.reset();
        still.reset();
    }
    // The ports, answered as the program answers them for these features.
    void captureStill(const platform::Bitmap &picture) override { still->CaptureImageCom(picture); }
    void offerUnsavedStill() override { still->WhetherSaveImageMessage(); }
    void exitMediaPlayer() override {}   // the camera's port and the still image's alike
    void stopRecording() override { recording->stopRecording(); }
    void reenterDrawMode() override {}
    void resetModeButtons() override {}
    void resolutionChanged(QSize) override {}
    void releaseFrozenFrame() override {}
    void showCover(bool shown) override { shell->window().showCover(shown); }
    bool calibrationRunning() const override { return false; }
    void reloadRulerScales() override {}
    void closeCalibrationWindow() override {}
    bool timedVideoRunning() const override { return false; }
    void showNewVideo(const QString &path) override
    {
        still->browser().markNewFile(state::kListAvi, path);
        still->browser().showKind(state::kListAvi);
    }

    camera::TVideoCameraDS &camera() { return cameraSide->camera(); }
    bool waitFrames(int n)
    {
        const auto start = camera().framesTaken();
        return QTest::qWaitFor([&] { return camera().framesTaken() >= start + std::uint64_t(n); }, 5000);
    }
    void send(const char *line)
    {
        QFile f(fifoPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(line);
        f.write("\n");
    }
    QString hint() const { return shell->controls().mainButton(state::ControlId::RecordVideo_Btn)->toolTip(); }
    QString text(const char *key) const { return shell->texts().text(QString::fromLatin1(key)); }
    const state::AppFlags &flags() const { return shell->state().flags(); }
    void clickRecord() { shell->controls().mainButton(state::ControlId::RecordVideo_Btn)->click(); }
    int compressorIndex(const char *factory)
    {
        const auto list = camera().compressors();
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i].factory == QLatin1String(factory))
                return int(i) + 1;
        return 0;
    }
    bool hasAvi() const { return bool(platform::GstPtr<GstElementFactory>::adopt(gst_element_factory_find("avimux"))); }

    fakes::TemporaryProfile profile;
    fakes::FakeClock clock;
    state::UserPaths paths = state::UserPaths::fromProfileDir(profile.path());
    std::unique_ptr<platform::IniProfileStore> store = std::make_unique<platform::IniProfileStore>(paths.settingsFile());
    fakes::FakeBridge vendor;
    ScriptedPresenter presenter;
    fakes::ScriptedDialogs dialogs;
    platform::DiagnosticsLog log;
    QTemporaryDir fifoDir;
    QString fifoPath;
    platform::VirtualCameraRig rig;
    platform::SystemMediaBackend backend;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<StillImageController> still;
    std::unique_ptr<CameraController> cameraSide;
    std::unique_ptr<RecordingController> recording;
    std::vector<library::SaveDialogRequest> requests;
    std::optional<QString> chosenPath;
    QStringList dialogsShown;
    std::function<int(QDialog &)> answerDialog;
};

} // namespace

TEST(RecordingControllerIntegration, AutoSaveRecordsAtOnceUnderTheNextAviNameAndTheButtonToggles)
{
    Window w;
    if (!w.hasAvi())
        GTEST_SKIP() << "avimux (gst-plugins-good) is not installed";
    ASSERT_TRUE(w.flags().VideoConnected) << w.log.lines().join('\n').toStdString();
    w.shell->controls().action(state::ControlId::AutoSave)->setChecked(true);
    w.camera().SetCompressorIndex(w.compressorIndex("jpegenc"));   // has settings, but no dialog here

    w.clickRecord();
    ASSERT_TRUE(w.flags().VideoRecording) << w.log.lines().join('\n').toStdString();
    EXPECT_TRUE(w.requests.empty()) << "no save dialog with auto save";
    EXPECT_TRUE(w.dialogsShown.isEmpty()) << "no compressor settings dialog with auto save";
    const QString path = w.recording->lastRecordedFile();
    EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(w.shell->state().curListPath()[state::kListAvi]).absoluteFilePath());
    EXPECT_TRUE(QFileInfo(path).fileName().startsWith("Avi_"));
    EXPECT_TRUE(path.endsWith(".avi"));
    EXPECT_EQ(w.hint(), w.text("RecordStopVideo_Btn"));
    ASSERT_TRUE(w.waitFrames(10));

    w.clickRecord();
    EXPECT_FALSE(w.flags().VideoRecording);
    EXPECT_EQ(w.hint(), w.text("RecordVideo_Btn"));
    EXPECT_TRUE(w.flags().VideoConnected) << "the live picture stays";
    const ClipReport r = checkClip(path);
    EXPECT_TRUE(r.discovered);
    if (r.ffprobeAvailable) {
        EXPECT_GE(r.ffprobeFrames, 5);
        EXPECT_EQ(r.ffprobeCodec, "mjpeg");
    }
}

TEST(RecordingControllerIntegration, ByHandTheSaveDialogAndTheCompressorSettingsAreAsked)
{
    Window w;
    if (!w.hasAvi() || !w.compressorIndex("jpegenc"))
        GTEST_SKIP() << "avimux and jpegenc (gst-plugins-good) are needed";
    ASSERT_TRUE(w.flags().VideoConnected);
    w.camera().SetCompressorIndex(w.compressorIndex("jpegenc"));

    w.chosenPath.reset();   // cancelled: nothing starts, nothing is said
    w.clickRecord();
    EXPECT_FALSE(w.flags().VideoRecording);
    ASSERT_EQ(w.requests.size(), 1u);
    EXPECT_TRUE(w.requests[0].proposedName.startsWith("Avi_"));
    EXPECT_TRUE(w.presenter.texts.isEmpty());

    QTemporaryDir out;
    w.chosenPath = out.filePath("chosen.avi");
    w.answerDialog = [](QDialog &d) {
        auto *settings = qobject_cast<camera::ui::EncoderSettingsDialog *>(&d);
        if (!settings)
            return int(QDialog::Rejected);
        qobject_cast<QSpinBox *>(settings->editor("quality"))->setValue(40);
        return int(QDialog::Accepted);
    };
    w.clickRecord();
    ASSERT_TRUE(w.flags().VideoRecording);
    EXPECT_EQ(w.dialogsShown, QStringList{"EncoderSettingsDialog"});
    const std::vector<platform::EncoderSetting> expected = {{"quality", "40"}};
    EXPECT_EQ(w.camera().compressorSettings(), expected);
    ASSERT_TRUE(w.waitFrames(6));
    w.clickRecord();
    EXPECT_FALSE(w.flags().VideoRecording);
    EXPECT_EQ(w.recording->lastRecordedFile(), *w.chosenPath);
    EXPECT_TRUE(checkClip(*w.chosenPath).discovered);
}

TEST(RecordingControllerIntegration, ANameTypedWithAPictureExtensionRecordsAnAviFileAndAsksBeforeReplacingOne)
{
    Window w;
    if (!w.hasAvi())
        GTEST_SKIP() << "avimux (gst-plugins-good) is not installed";
    ASSERT_TRUE(w.flags().VideoConnected);
    QTemporaryDir out;
    w.chosenPath = out.filePath("clip.jpg");
    w.clickRecord();
    ASSERT_TRUE(w.flags().VideoRecording);
    EXPECT_EQ(w.recording->lastRecordedFile(), out.filePath("clip.avi"));
    EXPECT_TRUE(w.presenter.texts.isEmpty()) << "no clip.avi yet: nothing to ask";
    ASSERT_TRUE(w.waitFrames(6));
    w.clickRecord();
    EXPECT_FALSE(QFileInfo::exists(out.filePath("clip.jpg"))) << "no video under a picture's name";
    EXPECT_TRUE(checkClip(out.filePath("clip.avi")).discovered);

    // clip.avi exists now, and the dialog asked about clip.jpg only: the window asks.
    w.clickRecord();
    EXPECT_EQ(w.presenter.texts, QStringList{QStringLiteral("\"clip.avi\" ") + w.text("FileNameExisted_MsgBox")});
    EXPECT_TRUE(w.flags().VideoRecording) << "OK replaces it";
    w.clickRecord();
}

TEST(RecordingControllerIntegration, AFailedStartSaysCannotRecordVideoAndKeepsThePreview)
{
    Window w;
    if (!w.hasAvi())
        GTEST_SKIP() << "avimux (gst-plugins-good) is not installed";
    ASSERT_TRUE(w.flags().VideoConnected);
    QTemporaryDir out;
    w.chosenPath = out.filePath("missing/folder/x.avi");
    w.clickRecord();
    EXPECT_FALSE(w.flags().VideoRecording);
    ASSERT_EQ(w.presenter.texts.size(), 1);
    EXPECT_EQ(w.presenter.texts[0], w.text("CannotRecordVideo_MsgBox"));
    EXPECT_EQ(w.hint(), w.text("RecordVideo_Btn"));
    EXPECT_TRUE(w.flags().VideoConnected);
    EXPECT_TRUE(w.waitFrames(3));
    w.chosenPath = out.filePath("ok.avi");   // the next start is accepted
    w.clickRecord();
    EXPECT_TRUE(w.flags().VideoRecording);
}

TEST(RecordingControllerIntegration, UnplugAndClosingFinishTheClip)
{
    QTemporaryDir out;
    {
        Window w;
        if (!w.hasAvi())
            GTEST_SKIP() << "avimux (gst-plugins-good) is not installed";
        w.shell->controls().action(state::ControlId::AutoSave)->setChecked(true);
        w.clickRecord();
        ASSERT_TRUE(w.flags().VideoRecording);
        const QString path = w.recording->lastRecordedFile();
        ASSERT_TRUE(w.waitFrames(8));
        w.send("unplug");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.flags().VideoRecording && !w.flags().VideoConnected; }, 5000));
        EXPECT_EQ(w.hint(), w.text("RecordVideo_Btn"));
        EXPECT_FALSE(w.presenter.texts.contains(w.text("CannotRecordVideo_MsgBox"))) << "an unplug is no error";
        const ClipReport r = checkClip(path);
        EXPECT_TRUE(r.discovered);
        if (r.ffprobeAvailable) {
            EXPECT_GE(r.ffprobeFrames, 4);
        }
    }
    {
        Window w;
        w.chosenPath = out.filePath("closing.avi");
        w.clickRecord();
        ASSERT_TRUE(w.flags().VideoRecording);
        ASSERT_TRUE(w.waitFrames(8));
        w.shell->window().close();
        EXPECT_FALSE(w.flags().VideoRecording);
        EXPECT_TRUE(checkClip(out.filePath("closing.avi")).discovered);
    }
}

TEST(RecordingControllerIntegration, CompressorDialogChoosesKeepsAndRemembers)
{
    Window w;
    const auto list = w.camera().compressors();
    const int jpeg = w.compressorIndex("jpegenc");
    if (!jpeg)
        GTEST_SKIP() << "jpegenc (gst-plugins-good) is not installed";
    QAction *menu = w.shell->controls().action(state::ControlId::VideoCompress);
    ASSERT_NE(menu, nullptr);
    const QString jpegName = list[std::size_t(jpeg) - 1].name;
    QStringList offered;
    w.answerDialog = [&](QDialog &d) {
        auto *combo = d.findChild<QComboBox *>("CompressorComboBox");
        offered.clear();
        for (int i = 0; i < combo->count(); ++i)
            offered << combo->itemText(i);
        combo->setCurrentIndex(combo->findText(jpegName));
        return int(QDialog::Accepted);
    };
    menu->trigger();
    EXPECT_EQ(w.camera().compressorIndex(), jpeg);
    ASSERT_FALSE(offered.isEmpty());
    EXPECT_EQ(offered[0], "No Compressor");
    for (const QString &name : offered)
        EXPECT_FALSE(name.contains("Microsoft") || name.contains("DMO") || name.contains("Decoder")) << name.toStdString();

    QString shownSelection;
    w.answerDialog = [&](QDialog &d) {   // OK without touching the selection
        shownSelection = d.findChild<QComboBox *>("CompressorComboBox")->currentText();
        return int(QDialog::Accepted);
    };
    w.camera().SetCompressorIndex(0);   // changed elsewhere meanwhile
    menu->trigger();
    EXPECT_EQ(shownSelection, jpegName) << "the last chosen name is selected again";

    w.answerDialog = [](QDialog &d) {
        d.findChild<QComboBox *>("CompressorComboBox")->setCurrentIndex(0);
        return int(QDialog::Rejected);
    };
    w.camera().SetCompressorIndex(jpeg);
    menu->trigger();
    EXPECT_EQ(w.camera().compressorIndex(), jpeg) << "Cancel keeps the compressor";
}

// The folder as the recording messages name it, before their text.
QString quoted(const QString &folder) { return u'"' + QDir::toNativeSeparators(QFileInfo(folder).absoluteFilePath()) + u'"'; }

TEST(RecordingControllerIntegration, AFileSizeLimitEndsTheClipKeepsWhatWasWrittenAsAPlayableClipAndTheLivePicture)
{
    Window w;
    if (!w.hasAvi())
        GTEST_SKIP() << "avimux (gst-plugins-good) is not installed";
    ASSERT_TRUE(w.flags().VideoConnected);
    w.shell->controls().action(state::ControlId::AutoSave)->setChecked(true);
    {
        fakes::FileSizeLimit limit(8 * 1024 * 1024);   // about nine raw 640 x 480 frames
        ASSERT_TRUE(limit.ok);
        w.clickRecord();
        ASSERT_TRUE(w.flags().VideoRecording) << w.log.lines().join('\n').toStdString();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.flags().VideoRecording; }, 10000)) << "the write error ends the clip";
        // Whatever the closing file posts arrives while the limit still holds.
        ASSERT_TRUE(w.waitFrames(3));
    }
    // The recording had started: not "could not start", but why it stopped, and where.
    const QString path = w.recording->lastRecordedFile();
    EXPECT_EQ(w.presenter.texts, QStringList{quoted(QFileInfo(path).absolutePath()) + w.text("RecordWriteFailed_MsgBox")})
        << w.log.lines().join('\n').toStdString();
    EXPECT_FALSE(w.presenter.texts.contains(w.text("CannotStartVideo_MsgBox")));
    EXPECT_TRUE(w.flags().VideoConnected) << "the live picture stays";
    EXPECT_TRUE(w.camera().isConnected());
    EXPECT_TRUE(w.waitFrames(5));
    EXPECT_EQ(w.hint(), w.text("RecordVideo_Btn"));
    for (const QString &line : w.log.lines())
        EXPECT_FALSE(line.contains("Recursive")) << line.toStdString();
    // What fit under the limit is a clip other players open, with a length.
    const ClipReport r = checkClip(path);
    EXPECT_TRUE(r.discovered) << path.toStdString();
    EXPECT_GT(r.seconds, 0.0);
    if (r.ffprobeAvailable) {
        EXPECT_GE(r.ffprobeFrames, 3);
        EXPECT_EQ(r.ffprobeFrames, int(platform::AviRepair::countFrames(path).value_or(0)));
    }
}

// A file system of its own for the AVI folder: a small tmpfs, where the test may mount one.
class SmallDisk
{
public:
    explicit SmallDisk(const char *size)
    {
        const QByteArray where = QFile::encodeName(dir_.path());
        const QByteArray options = QByteArray("size=") + size;
        mounted_ = ::mount("tmpfs", where.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) == 0;
        if (!mounted_)
            why_ = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    const QString &why() const { return why_; }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString why_;
};

// Records with "No Compressor" (raw 640 x 480 frames, 0.9 MB each) into `folder` until the disk
// there is full; true once the recording ended by itself.
bool recordUntilTheDiskIsFull(Window &w, const QString &folder)
{
    w.still->browser().useFolder(state::kListAvi, folder);
    w.shell->controls().action(state::ControlId::AutoSave)->setChecked(true);
    w.camera().SetCompressorIndex(0);
    w.clickRecord();
    if (!w.flags().VideoRecording)
        return false;
    return QTest::qWaitFor([&] { return !w.flags().VideoRecording; }, 30000);
}

// After a recording stopped by a full disk: the message names the folder and says the disk is
// full, the clip holds what was written as a playable AVI, nothing else is in the folder, the
// library lists just it, and the live picture runs on. Then a second start on the full disk is
// refused with the same reason and leaves no file.
void expectAFinishedClipAndTheLivePicture(Window &w, const QString &folder)
{
    const QString path = w.recording->lastRecordedFile();
    EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(folder).absoluteFilePath());
    EXPECT_EQ(w.presenter.texts, QStringList{quoted(folder) + w.text("RecordDiskFull_MsgBox")})
        << w.log.lines().join('\n').toStdString();
    EXPECT_TRUE(w.flags().VideoConnected) << "the live picture stays";
    EXPECT_TRUE(w.waitFrames(5));
    EXPECT_EQ(w.hint(), w.text("RecordVideo_Btn"));
    EXPECT_TRUE(w.shell->controls().label(state::ControlId::StatusRecording_Lab)->isHidden());

    const ClipReport r = checkClip(path);
    EXPECT_TRUE(r.discovered) << w.log.lines().join('\n').toStdString();
    EXPECT_EQ(r.width, 640);
    EXPECT_GT(r.seconds, 0.0) << "never a clip of no length";
    const std::optional<std::uint32_t> frames = platform::AviRepair::countFrames(path);
    ASSERT_TRUE(frames.has_value());
    EXPECT_GE(*frames, 2u);
    if (r.ffprobeAvailable) {
        EXPECT_EQ(r.ffprobeFrames, int(*frames)) << "every frame the file holds decodes";
        EXPECT_EQ(r.ffprobeCodec, "rawvideo");
    }
    // No half-written file beside it, and the library lists the clip.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QFileInfo(path).fileName()});
    w.still->browser().FileList(state::kListAvi);
    EXPECT_EQ(w.still->browser().pages().kind(state::kListAvi).files.size(), 1);

    // The disk is still full: a new start says so and leaves nothing behind.
    w.presenter.texts.clear();
    w.clickRecord();
    EXPECT_FALSE(w.flags().VideoRecording);
    EXPECT_EQ(w.presenter.texts, QStringList{quoted(folder) + w.text("RecordDiskFullNothing_MsgBox")});
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(w.flags().VideoConnected);
    EXPECT_TRUE(w.waitFrames(3));
}

TEST(RecordingOnAFullDisk, ASmallFileSystemFillsUpTheClipIsFinishedAndTheMessageSaysTheDiskIsFull)
{
    SmallDisk disk("24m");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (" << disk.why().toStdString() << "); the injected full disk below runs instead";
    Window w;
    if (!w.hasAvi())
        GTEST_SKIP() << "avimux (gst-plugins-good) is not installed";
    ASSERT_TRUE(w.flags().VideoConnected);
    ASSERT_TRUE(recordUntilTheDiskIsFull(w, disk.path())) << w.log.lines().join('\n').toStdString();
    expectAFinishedClipAndTheLivePicture(w, disk.path());
}

TEST(RecordingOnAFullDisk, AWatchedDiskFillingUpEndsTheClipProperly)
{
    ASSERT_TRUE(DiskCapacity::interposed()) << "the test executable must export its write() (ENABLE_EXPORTS)";
    QTemporaryDir folder;
    Window w;
    if (!w.hasAvi())
        GTEST_SKIP() << "avimux (gst-plugins-good) is not installed";
    ASSERT_TRUE(w.flags().VideoConnected);
    // The file system tells how much room is left: the recording ends itself before a write fails.
    DiskCapacity disk(folder.path(), 16u << 20, true);
    ASSERT_TRUE(recordUntilTheDiskIsFull(w, folder.path())) << w.log.lines().join('\n').toStdString();
    EXPECT_EQ(disk.refusedWrites(), 0u) << "the end came before the disk refused a write";
    expectAFinishedClipAndTheLivePicture(w, folder.path());
}

TEST(RecordingOnAFullDisk, AWriteThatFindsTheDiskFullEndsTheClipWhichIsFinishedFromWhatWasWritten)
{
    ASSERT_TRUE(DiskCapacity::interposed()) << "the test executable must export its write() (ENABLE_EXPORTS)";
    QTemporaryDir folder;
    Window w;
    if (!w.hasAvi())
        GTEST_SKIP() << "avimux (gst-plugins-good) is not installed";
    ASSERT_TRUE(w.flags().VideoConnected);
    // The file system claims room it does not have (another writer took it meanwhile): the write
    // meets ENOSPC half-way through a frame.
    DiskCapacity disk(folder.path(), 8u << 20, false);
    ASSERT_TRUE(recordUntilTheDiskIsFull(w, folder.path())) << w.log.lines().join('\n').toStdString();
    EXPECT_GT(disk.refusedWrites(), 0u);
    EXPECT_TRUE(w.log.lines().filter("finished from what was written").size() == 1) << w.log.lines().join('\n').toStdString();
    expectAFinishedClipAndTheLivePicture(w, folder.path());
}

// A recording's file cut where a writer may have stopped: its frames are what the finished
// file keeps.
struct CutClip {
    QByteArray whole;          // a properly finished recording
    qint64 moviData = -1;      // the "movi" code's offset
    qint64 index = -1;         // the idx1 chunk's offset: every frame before it is complete
    std::uint32_t frames = 0;

    explicit CutClip(const QString &recorded)
    {
        QFile f(recorded);
        if (f.open(QIODevice::ReadOnly))
            whole = f.readAll();
        moviData = whole.indexOf("movi");
        index = whole.lastIndexOf("idx1");
        frames = platform::AviRepair::countFrames(recorded).value_or(0);
    }
    bool ok() const { return moviData > 0 && index > moviData && frames >= 6; }
    // The first `bytes` of the recording as a file in `folder`.
    QString write(const QString &folder, qint64 bytes) const
    {
        const QString path = QDir(folder).filePath(QStringLiteral("cut.avi"));
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(whole.left(bytes));
        return path;
    }
};

TEST(RecordingOnAFullDisk, AnInterruptedFileKeepsItsCompleteFramesAndGivesUpTheLastOnesWhenTheIndexDoesNotFit)
{
    ASSERT_TRUE(DiskCapacity::interposed());
    QTemporaryDir recorded, out;
    QString path;
    {
        Window w;
        if (!w.hasAvi())
            GTEST_SKIP() << "avimux (gst-plugins-good) is not installed";
        w.still->browser().useFolder(state::kListAvi, recorded.path());
        w.shell->controls().action(state::ControlId::AutoSave)->setChecked(true);
        w.clickRecord();
        ASSERT_TRUE(w.flags().VideoRecording);
        ASSERT_TRUE(w.waitFrames(10));
        w.clickRecord();
        path = w.recording->lastRecordedFile();
    }
    const CutClip clip(path);
    ASSERT_TRUE(clip.ok()) << clip.frames;
    using Outcome = platform::AviRepairResult::Outcome;
    const qint64 frameChunk = (clip.index - clip.moviData - 4) / clip.frames;   // raw frames: all one size

    // Cut inside the last frame: the frames before it stay, the cut one goes.
    platform::AviRepairResult r = platform::AviRepair::finish(clip.write(out.path(), clip.index - 100));
    EXPECT_EQ(r.outcome, Outcome::Finished);
    EXPECT_EQ(r.frames, clip.frames - 1);
    ClipReport report = checkClip(out.filePath("cut.avi"));
    EXPECT_TRUE(report.discovered);
    EXPECT_NEAR(report.seconds, (clip.frames - 1) / 30.0, 0.01);
    if (report.ffprobeAvailable) {
        EXPECT_EQ(report.ffprobeFrames, int(clip.frames - 1));
    }

    // All frames complete but no room at all for the index: the last frame gives its room.
    {
        const QString cut = clip.write(out.path(), clip.index);
        DiskCapacity disk(out.path(), std::uint64_t(clip.index), false);
        r = platform::AviRepair::finish(cut);
        EXPECT_GT(disk.refusedWrites(), 0u);
    }
    EXPECT_EQ(r.outcome, Outcome::Finished);
    EXPECT_EQ(r.frames, clip.frames - 1);
    EXPECT_EQ(r.framesDropped, 1u);
    EXPECT_EQ(QFileInfo(out.filePath("cut.avi")).size(), clip.index - frameChunk + 8 + 16 * (clip.frames - 1));
    report = checkClip(out.filePath("cut.avi"));
    EXPECT_TRUE(report.discovered);
    if (report.ffprobeAvailable) {
        EXPECT_EQ(report.ffprobeFrames, int(clip.frames - 1));
    }

    // No complete frame, a header cut short, or no AVI at all: no recording is left behind.
    for (const qint64 bytes : {clip.moviData + 4, clip.moviData + 4 + 8 + 1000, qint64(100), qint64(0)}) {
        r = platform::AviRepair::finish(clip.write(out.path(), bytes));
        EXPECT_EQ(r.outcome, Outcome::Removed) << bytes;
        EXPECT_FALSE(QFileInfo::exists(out.filePath("cut.avi"))) << bytes;
    }
}

TEST(RecordingControllerIntegration, AFileSizeLimitAtTheStartSaysItCannotRecordAndLeavesNoFile)
{
    Window w;
    if (!w.hasAvi())
        GTEST_SKIP() << "avimux (gst-plugins-good) is not installed";
    ASSERT_TRUE(w.flags().VideoConnected);
    w.shell->controls().action(state::ControlId::AutoSave)->setChecked(true);
    {
        fakes::FileSizeLimit limit(64 * 1024);   // the header fits, the first frame does not
        ASSERT_TRUE(limit.ok);
        w.clickRecord();
        ASSERT_TRUE(w.waitFrames(3));
    }
    EXPECT_FALSE(w.flags().VideoRecording);
    EXPECT_EQ(w.presenter.texts, QStringList{w.text("CannotRecordVideo_MsgBox")});
    EXPECT_TRUE(QDir(w.shell->state().curListPath()[state::kListAvi]).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(w.flags().VideoConnected);
    EXPECT_TRUE(w.waitFrames(3));
}

TEST(RecordingOnAFullDisk, ADiskFullAtTheStartSaysSoAndLeavesNoFile)
{
    ASSERT_TRUE(DiskCapacity::interposed());
    QTemporaryDir folder;
    Window w;
    if (!w.hasAvi())
        GTEST_SKIP() << "avimux (gst-plugins-good) is not installed";
    ASSERT_TRUE(w.flags().VideoConnected);
    w.still->browser().useFolder(state::kListAvi, folder.path());
    w.shell->controls().action(state::ControlId::AutoSave)->setChecked(true);
    for (const bool told : {true, false}) {
        // Told: refused before a file is made. Not told: the first frame's write fails.
        DiskCapacity disk(folder.path(), 256 * 1024, told);
        w.presenter.texts.clear();
        w.clickRecord();
        EXPECT_FALSE(w.flags().VideoRecording);
        EXPECT_EQ(w.presenter.texts, QStringList{quoted(folder.path()) + w.text("RecordDiskFullNothing_MsgBox")})
            << told << w.log.lines().join('\n').toStdString();
        EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty()) << told;
        EXPECT_TRUE(w.flags().VideoConnected);
        EXPECT_TRUE(w.waitFrames(3));
    }
}

TEST(RecordingControllerIntegration, CompressorDialogSpeaksTheInterfaceLanguageAndFollowsAChange)
{
    Window w;
    QAction *menu = w.shell->controls().action(state::ControlId::VideoCompress);
    w.shell->UpdateInterface("German");
    struct Seen {
        QString title, info, ok, cancel, first;
    } seen;
    camera::ui::TCompressorFilterDlg *kept = nullptr;
    w.answerDialog = [&](QDialog &d) {
        kept = qobject_cast<camera::ui::TCompressorFilterDlg *>(&d);
        seen = {d.windowTitle(), d.findChild<QLabel *>("CompressOptionInfo")->text(),
                d.findChild<QPushButton *>("OKBtn")->text(), d.findChild<QPushButton *>("CancelBtn")->text(),
                d.findChild<QComboBox *>("CompressorComboBox")->itemText(0)};
        return int(QDialog::Rejected);
    };
    menu->trigger();
    ASSERT_TRUE(kept);
    EXPECT_EQ(seen.title, w.text("CompressTitle_Dlg"));
    EXPECT_EQ(seen.info, w.text("CompressOptionInfo_Dlg"));
    EXPECT_EQ(seen.ok, w.text("OKBtn_Dlg"));
    EXPECT_EQ(seen.cancel, w.text("CancelBtn_Dlg"));
    EXPECT_EQ(seen.first, w.text("CF_NoCompressor_Dlg"));
    EXPECT_NE(seen.first, "No Compressor");

    // The dialog lives on between showings: a language change reaches it at once, and Qt's own
    // announcement of the change (delivered later) does not put Qt's words back.
    w.shell->UpdateInterface("French");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(kept->windowTitle(), w.text("CompressTitle_Dlg"));
    EXPECT_EQ(kept->findChild<QPushButton *>("OKBtn")->text(), w.text("OKBtn_Dlg"));
    EXPECT_EQ(kept->findChild<QPushButton *>("CancelBtn")->text(), w.text("CancelBtn_Dlg"));
    EXPECT_EQ(kept->comboBox()->itemText(0), w.text("CF_NoCompressor_Dlg"));
}

TEST(RecordingControllerIntegration, CompressorSettingsButtonsSpeakTheInterfaceLanguage)
{
    Window w;
    if (!w.hasAvi() || !w.compressorIndex("jpegenc"))
        GTEST_SKIP() << "avimux and jpegenc (gst-plugins-good) are needed";
    ASSERT_TRUE(w.flags().VideoConnected);
    w.shell->UpdateInterface("Japanese");
    w.camera().SetCompressorIndex(w.compressorIndex("jpegenc"));
    QTemporaryDir out;
    w.chosenPath = out.filePath("chosen.avi");
    QString ok, cancel;
    w.answerDialog = [&](QDialog &d) {
        if (auto *settings = qobject_cast<camera::ui::EncoderSettingsDialog *>(&d)) {
            ok = settings->okButton()->text();
            cancel = settings->cancelButton()->text();
        }
        return int(QDialog::Rejected);
    };
    w.clickRecord();
    EXPECT_EQ(w.dialogsShown, QStringList{"EncoderSettingsDialog"});
    EXPECT_EQ(ok, w.text("OKBtn_Dlg"));
    EXPECT_EQ(cancel, w.text("CancelBtn_Dlg"));
    w.clickRecord();
    EXPECT_FALSE(w.flags().VideoRecording);
}
