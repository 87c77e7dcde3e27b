// The Tools menu's automation in the whole program: timed stills on the virtual camera, the
// menu rules while a conversion runs, and the close sequence finishing an images-to-video file.
#include "tools/ui/automationcontroller.h"
#include "camera/ui/cameracontroller.h"
#include "feature/ui/controls.h"
#include "app/ui/mainwindow.h"
#include "app/ui/messagepresenter.h"
#include "app/ui/sendraapplication.h"
#include "app/ui/shell.h"
#include "camera/videocamerads.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/frameextractor.h"
#include "platform/picturecodec.h"
#include "tools/imagestovideoconverter.h"
#include "tools/ui/img2viddialog.h"
#include "tools/ui/timingcapdialog.h"
#include "tools/ui/toolinfodialog.h"

#include "fakes.h"
#include "wholeprogram.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace app::ui;
using tools::ui::AutomationController;
using C = state::ControlId;

namespace {

using wholeprogram::Program;

// Sets up two JPEG stills one second apart, started at once, into a folder typed by the user.
int executeTwoStills(QDialog &d)
{
    auto &dlg = static_cast<tools::ui::TTimingCapDlg &>(d);
    dlg.setFileType(tools::kCaptureJpg);
    dlg.field(tools::ScheduleField::StartTime)->setText(QStringLiteral("0"));
    dlg.field(tools::ScheduleField::Interval)->setText(QStringLiteral("1"));
    dlg.field(tools::ScheduleField::FilesNumber)->setText(QStringLiteral("2"));
    dlg.setFolderMode(tools::kFolderKeyIn);
    dlg.folderNameEdit()->setText(QStringLiteral("series"));
    Q_EMIT dlg.folderNameEdit()->textEdited(QStringLiteral("series"));
    dlg.TC_Execute_BtnClick();
    return dlg.result();
}

int executeTwoStillsWithScale(QDialog &d)
{
    auto &dlg = static_cast<tools::ui::TTimingCapDlg &>(d);
    dlg.setFileType(tools::kCaptureJpg);
    dlg.field(tools::ScheduleField::Interval)->setText(QStringLiteral("1"));
    dlg.field(tools::ScheduleField::FilesNumber)->setText(QStringLiteral("2"));
    dlg.setFolderMode(tools::kFolderKeyIn);
    dlg.folderNameEdit()->setText(QStringLiteral("scaled"));
    Q_EMIT dlg.folderNameEdit()->textEdited(QStringLiteral("scaled"));
    auto *withScale = dlg.findChild<QCheckBox *>(QStringLiteral("TC_SaveScale_CB"));
    if (!withScale || !withScale->isEnabled()) {
        ADD_FAILURE() << "no enabled Save Scale check box";
        return QDialog::Rejected;
    }
    withScale->setChecked(true);
    dlg.TC_Execute_BtnClick();
    return dlg.result();
}

} // namespace

TEST(Automation, TimedStillsWithSaveScaleCarryTheScaleInNameAndPixels)
{
    Program p;
    AutomationController &a = p.app->automation();
    ASSERT_TRUE(p.connect());
    ASSERT_TRUE(p.enabled(C::TimingCapture_Tool));
    p.dialogs.other = executeTwoStillsWithScale;
    p.shell().controls().action(C::TimingCapture_Tool)->trigger();
    ASSERT_TRUE(a.timedStillsRunning());
    ASSERT_TRUE(a.timedStillsWithScale());
    a.TimingCapture_TimerTimer();
    a.TimingCapture_TimerTimer();
    a.TimingCapture_TimerTimer();
    EXPECT_FALSE(a.timedStillsRunning());
    const QString folder = p.shell().state().curListPath()[state::kListJpg];
    const QStringList files = QDir(folder).entryList({QStringLiteral("Jpg_h*.jpg")}, QDir::Files);
    ASSERT_EQ(files.size(), 2) << QDir(folder).entryList().join(u' ').toStdString();
    // The default scale's red horizontal bar crosses the middle of the saved picture; the plain
    // picture there is the beige specimen.
    const platform::DecodedPicture saved = platform::readPictureFile(QDir(folder).filePath(files.first()));
    ASSERT_TRUE(saved.ok());
    int best = 0;
    for (int y = 236; y <= 244; ++y) {
        int red = 0;
        for (int x = 30; x < 630; x += 20) {
            const QRgb c = saved.bitmap.image().pixel(x, y);
            red += qRed(c) - qGreen(c) > 60;   // JPEG smears the thin red line, but it stays red
        }
        best = std::max(best, red);
    }
    EXPECT_EQ(best, 30);
    p.shell().window().close();
}

TEST(Automation, TimedCaptureTakesTheStillsIntoItsFolderAndEnds)
{
    Program p;
    AutomationController &a = p.app->automation();
    EXPECT_FALSE(p.enabled(C::TimingCapture_Tool));   // no camera yet
    ASSERT_TRUE(p.connect());
    ASSERT_TRUE(p.enabled(C::TimingCapture_Tool));
    p.dialogs.other = executeTwoStills;
    p.shell().controls().action(C::TimingCapture_Tool)->trigger();
    ASSERT_TRUE(a.timer().isActive());
    EXPECT_TRUE(a.timedStillsRunning());
    EXPECT_FALSE(p.enabled(C::TimingCapture_Tool));
    EXPECT_TRUE(a.infoDialog().isVisible());
    const QString folder = p.shell().paths().defListPath[state::kListJpg] + QStringLiteral("/series");
    EXPECT_EQ(p.shell().state().curListPath()[state::kListJpg], folder);

    // The one-second ticks, driven by hand: stills at ticks 1 and 2, the end at tick 3.
    a.TimingCapture_TimerTimer();
    a.TimingCapture_TimerTimer();
    EXPECT_TRUE(a.timer().isActive());
    a.TimingCapture_TimerTimer();
    EXPECT_FALSE(a.timer().isActive());
    EXPECT_FALSE(a.timedStillsRunning());
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files);
    EXPECT_EQ(files.size(), 2) << p.presenter.texts.join(u'|').toStdString();
    for (const QString &f : files)
        EXPECT_EQ(platform::sniffPictureFile(QDir(folder).filePath(f)), platform::PictureKind::Jpeg);
    EXPECT_TRUE(p.enabled(C::TimingCapture_Tool));
    p.shell().window().close();
}

TEST(Automation, TimedClipsAreRecordedWithoutAskingAndEndedByTheSchedule)
{
    Program p;
    AutomationController &a = p.app->automation();
    ASSERT_TRUE(p.connect());
    p.dialogs.other = [](QDialog &d) {
        auto &dlg = static_cast<tools::ui::TTimingCapDlg &>(d);
        dlg.setFileType(tools::kCaptureAvi);
        dlg.field(tools::ScheduleField::StartTime)->setText(QStringLiteral("0"));
        dlg.field(tools::ScheduleField::FilesNumber)->setText(QStringLiteral("1"));
        dlg.field(tools::ScheduleField::RecordTime)->setText(QStringLiteral("2"));
        dlg.TC_Execute_BtnClick();
        return dlg.result();
    };
    ASSERT_TRUE(p.enabled(C::TimingCapture_Tool));
    p.shell().controls().action(C::TimingCapture_Tool)->trigger();
    ASSERT_TRUE(a.timedVideoRunning());
    const QString folder = p.shell().state().curListPath()[state::kListAvi];
    EXPECT_TRUE(folder.contains(QStringLiteral("TCavi_")));
    QSignalSpy frames(&p.app->camera().camera(), &camera::TVideoCameraDS::frameReady);
    const auto tickWithFrames = [&] {
        a.TimingCapture_TimerTimer();
        frames.clear();
        while (frames.count() < 5 && frames.wait(2000)) {
        }
    };
    tickWithFrames();   // the clip starts
    EXPECT_TRUE(p.shell().state().flags().VideoRecording) << p.presenter.texts.join(u'|').toStdString();
    tickWithFrames();
    EXPECT_TRUE(p.shell().state().flags().VideoRecording);
    tickWithFrames();   // the record time is over: the clip ends
    EXPECT_FALSE(p.shell().state().flags().VideoRecording);
    a.TimingCapture_TimerTimer();   // no file left: the schedule ends
    EXPECT_FALSE(a.timer().isActive());
    EXPECT_FALSE(a.timedVideoRunning());
    const QStringList clips = QDir(folder).entryList({QStringLiteral("*.avi")}, QDir::Files);
    ASSERT_EQ(clips.size(), 1);
    EXPECT_TRUE(platform::probeVideo(QDir(folder).filePath(clips.first())).has_value());
    EXPECT_TRUE(p.presenter.texts.isEmpty()) << p.presenter.texts.join(u'|').toStdString();
    p.shell().window().close();
}

TEST(Automation, DisconnectingTheCameraStopsTheSchedule)
{
    Program p;
    AutomationController &a = p.app->automation();
    ASSERT_TRUE(p.connect());
    p.dialogs.other = [](QDialog &d) {
        auto &dlg = static_cast<tools::ui::TTimingCapDlg &>(d);
        dlg.field(tools::ScheduleField::StartTime)->setText(QStringLiteral("30"));
        dlg.TC_Execute_BtnClick();
        return dlg.result();
    };
    ASSERT_TRUE(p.enabled(C::TimingCapture_Tool));
    p.shell().controls().action(C::TimingCapture_Tool)->trigger();
    ASSERT_TRUE(a.timer().isActive());
    a.TimingCapture_TimerTimer();
    p.shell().controls().mainButton(C::Connect_Btn)->click();
    ASSERT_FALSE(p.shell().state().flags().VideoConnected);
    a.TimingCapture_TimerTimer();
    EXPECT_FALSE(a.timer().isActive());
    EXPECT_FALSE(a.timingDialog().schedule().running().active);
    EXPECT_EQ(a.infoDialog().timedField("TITC_FuncStatus_LE")->text(), p.shell().texts().text("TCOM_Disable"));
    p.shell().window().close();
}

TEST(Automation, ClosingTheProgramFinishesARunningImagesToVideoFile)
{
    Program p;
    AutomationController &a = p.app->automation();
    QSignalSpy progress(&a.img2VidConverter(), &tools::ImagesToVideoConverter::progressed);
    QString out;
    ASSERT_TRUE(p.startImagesToVideo(60, out));
    ASSERT_TRUE(a.img2VidConverter().converting());
    EXPECT_FALSE(p.enabled(C::Img2Vid_Tool));
    EXPECT_EQ(a.infoDialog().currentPage(), tools::ui::TToolInfoDlg::kImagesToVideoPage);
    EXPECT_EQ(p.shell().state().curListPath()[state::kListAvi], out);
    while (progress.size() < 4)
        ASSERT_TRUE(progress.wait(10000));
    p.shell().window().close();
    EXPECT_FALSE(a.img2VidConverter().converting());
    const QString file = out + QStringLiteral("/I2Vvid.avi");
    ASSERT_TRUE(QFileInfo::exists(file));
    const std::optional<platform::AviFrameData> data = platform::probeVideo(file);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->size, QSize(320, 240));
    EXPECT_GE(data->lengthSeconds * data->framesPerSecond, 3.0);
}
