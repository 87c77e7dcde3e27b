// The focus aids and the line profile through the real window on the virtual camera: the
// switches, the meter beside the video, peaking and zebra shown but never captured, the
// histogram window, the meter's rectangle tool, and a profile across the locked micrometer.
#include "app/ui/mainwindow.h"
#include "app/ui/sendraapplication.h"
#include "app/ui/shell.h"

#include "wholeprogram.h"
#include "../camera/micrometeredges.h"
#include "../measure/profileminima.h"

#include "camera/focusaidanalyzer.h"
#include "camera/ui/cameracontroller.h"
#include "camera/ui/focusaidcontroller.h"
#include "camera/ui/guideoverlay.h"
#include "camera/ui/histogramdialog.h"
#include "camera/ui/sharpnessmeterwidget.h"
#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "feature/ui/controls.h"
#include "imaging/stilldocument.h"
#include "imaging/ui/stillimagecontroller.h"
#include "imaging/ui/stillimageview.h"
#include "measure/measuringsession.h"
#include "measure/ui/lineprofilecontroller.h"
#include "measure/ui/lineprofiledialog.h"
#include "measure/ui/measurecontroller.h"
#include "measure/ui/measuringsurface.h"
#include "platform/controldevice.h"
#include "platform/gst/virtualcamera.h"
#include "platform/mediafiles.h"
#include "scales/rulerscale.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

using C = state::ControlId;
using feature::ui::Controls;

namespace {

struct Program : wholeprogram::Program {
    camera::ui::FocusAidController &aids() { return app->focusAids(); }
    measure::ui::LineProfileController &profile() { return app->lineProfile(); }
    camera::TVideoCameraDS &cam() { return app->camera().camera(); }
    camera::ui::VideoWidget &video() { return *app->camera().videoWidget(); }
    bool waitFrames(int n)
    {
        QSignalSpy frames(&cam(), &camera::TVideoCameraDS::frameReady);
        while (frames.count() < n)
            if (!frames.wait(10000))
                return false;
        return true;
    }
    // Focus turned on the camera's own control, the virtual camera's new picture drawn, and
    // frames made after it on screen.
    bool focusTo(int focus)
    {
        platform::VirtualCameraRig *rig = app->virtualCamera();
        return rig && !cam().controlDevice()->setValue(platform::cid::FocusAbsolute, focus) &&
               QTest::qWaitFor([&] { return rig->focusSettled(); }, 10000) && waitFrames(8);
    }
};

int countColour(const QImage &img, QRgb rgb)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF);
    return n;
}

} // namespace

TEST(FocusAids, SwitchesInTheMenuAndOnTheBarBesideTheLiveModeButtonsMoveTogether)
{
    Program p;
    Controls &c = p.shell().controls();
    ASSERT_TRUE(p.connect());
    c.mainButton(C::CaptureImage_Btn)->click();   // a still picture: the line profile has something to work on
    p.shell().UpdateActions();
    QToolBar *bar = c.toolBar(C::FocusAid_ToolBar);
    QToolBar *modes = c.toolBar(C::ChangeMode_ToolBar);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->geometry().top(), modes->geometry().top());
    EXPECT_LT(bar->geometry().right(), modes->geometry().left());
    // In the live-mode buttons' row: below the mode bars, off the video, inside the window.
    for (C id : {C::Compare_ToolBar, C::DrawRuler_ToolBar, C::VideoCtrl_ToolBar})
        EXPECT_GE(bar->geometry().bottom(), c.toolBar(id)->geometry().bottom()) << int(id);
    EXPECT_FALSE(bar->geometry().intersects(p.shell().window().videoArea()->geometry()));
    EXPECT_TRUE(p.shell().window().central()->rect().contains(bar->geometry()));
    const std::pair<C, C> switches[] = {{C::SharpnessMeter_Tool, C::FocusTB_Meter},
                                        {C::FocusPeaking_Tool, C::FocusTB_Peaking},
                                        {C::ClippingWarning_Tool, C::FocusTB_Zebra},
                                        {C::LiveHistogram_Tool, C::FocusTB_Histogram},
                                        {C::LineProfile_Tool, C::FocusTB_Profile}};
    for (const auto &[item, button] : switches) {
        c.action(item)->trigger();
        EXPECT_TRUE(c.button(button)->isChecked()) << int(item);
        c.button(button)->click();
        EXPECT_FALSE(c.action(item)->isChecked()) << int(item);
    }
    // The meter stands beside the video while it is on.
    c.action(C::SharpnessMeter_Tool)->trigger();
    camera::ui::SharpnessMeterWidget *meter = p.aids().meter();
    EXPECT_TRUE(meter->isVisible());
    const QRect video = p.shell().window().videoArea()->geometry();
    EXPECT_EQ(meter->geometry().left(), video.right() + 1);
    EXPECT_EQ(meter->geometry().height(), video.height());
    // Disconnected, the bar and the meter go.
    c.mainButton(C::Connect_Btn)->click();
    p.shell().UpdateActions();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(meter->isVisible());
}

TEST(FocusAids, TheMeterFollowsTheFocusTurnsGreenNearTheBestAndResets)
{
    Program p;
    ASSERT_TRUE(p.connect());
    p.shell().controls().button(C::FocusTB_Meter)->click();
    camera::ui::SharpnessMeterWidget *meter = p.aids().meter();
    ASSERT_TRUE(p.focusTo(50));
    ASSERT_TRUE(meter->hasScore());
    const double sharp = meter->score();
    EXPECT_TRUE(meter->nearBest());
    EXPECT_DOUBLE_EQ(meter->best(), sharp);
    ASSERT_TRUE(p.focusTo(65));
    EXPECT_LT(meter->score(), 0.95 * sharp);
    EXPECT_FALSE(meter->nearBest());
    EXPECT_DOUBLE_EQ(meter->best(), sharp);
    meter->resetButton()->click();
    ASSERT_TRUE(p.waitFrames(3));
    EXPECT_TRUE(meter->nearBest());
    EXPECT_LT(meter->best(), sharp);
    ASSERT_TRUE(p.focusTo(50));
    EXPECT_DOUBLE_EQ(meter->best(), meter->score());
    EXPECT_NEAR(meter->score(), sharp, sharp * 1e-9);
}

TEST(FocusAids, TheRectangleToolMeasuresWhereTheUserDrags)
{
    Program p;
    ASSERT_TRUE(p.connect());
    Controls &c = p.shell().controls();
    c.button(C::FocusTB_Meter)->click();
    p.shell().UpdateActions();
    QAbstractButton *region = c.button(C::FocusTB_Region);
    ASSERT_TRUE(region->isEnabled());
    region->click();
    camera::ui::VideoWidget &video = p.video();
    QTest::mousePress(&video, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    QTest::mouseMove(&video, QPoint(140, 120));
    QTest::mouseRelease(&video, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    EXPECT_FALSE(region->isChecked());   // one rectangle, then the tool comes up
    const QRectF r = p.aids().settings().region;
    EXPECT_NEAR(r.left(), 0.1, 1e-9);
    EXPECT_NEAR(r.top(), 0.1, 1e-9);
    EXPECT_NEAR(r.width(), 0.4, 1e-9);
    EXPECT_NEAR(r.height(), 0.4, 1e-9);
    EXPECT_EQ(p.aids().regionInWidget(), QRect(40, 30, 160, 120));
    auto *guide = video.findChild<camera::ui::GuideOverlay *>(QStringLiteral("FocusRegionGuide"));
    ASSERT_TRUE(guide);
    EXPECT_TRUE(guide->isVisible());
    EXPECT_EQ(guide->guideRect(), QRect(40, 30, 160, 120));
    // The measurement did not see the drag.
    EXPECT_TRUE(p.app->measure().surface().session().history().empty());
    // Mirrored, the same rectangle on screen is the other side of the camera's picture.
    p.cam().SetFlipMode(0);
    p.aids().setRegionFromWidget(QRect(40, 30, 160, 120));
    EXPECT_NEAR(p.aids().settings().region.left(), 0.5, 1e-9);
    EXPECT_EQ(p.aids().regionInWidget(), QRect(40, 30, 160, 120));
    // A click without a drag gives the whole picture back.
    region->click();
    QTest::mouseClick(&video, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    EXPECT_TRUE(p.aids().settings().region.isEmpty());
}

TEST(FocusAids, PeakingInTheDefaultVideoAreaMarksTheSharpMicrometerAndLittleAtEighty)
{
    // The window as it opens: the live picture shown at 400 x 300. Peaking from the bar marks the
    // tenth-division lines when they are sharp and leaves them bare thirty focus steps away.
    Program p;
    ASSERT_TRUE(p.connect());
    p.shell().controls().button(C::FocusTB_Peaking)->click();
    const auto share = [&p]() -> double {
        const auto a = std::dynamic_pointer_cast<const camera::FocusAidAnalysis>(p.cam().latestFrame().analysis);
        if (!a || !a->marks)
            return -1;
        EXPECT_EQ(a->size, QSize(400, 300));
        return micrometer::tenthDivisionEdges(a->marks->peaking).share();
    };
    ASSERT_TRUE(p.focusTo(50));
    EXPECT_GE(share(), 0.9);
    const int sharpTint = countColour(p.video().grabVideo(), 0xFF0000);
    ASSERT_TRUE(p.focusTo(80));
    const double blurred = share();
    EXPECT_GE(blurred, 0.0);
    EXPECT_LT(blurred, 0.1);
    // On the whole picture the tint falls to under a fifth: what stays is on the particles' dark
    // rims, which are several divisions wide.
    EXPECT_LT(countColour(p.video().grabVideo(), 0xFF0000), sharpTint / 5);
}

TEST(FocusAids, PeakingAndZebraAreShownButNeverInASnapshotOrARecording)
{
    Program p;
    ASSERT_TRUE(p.connect());
    Controls &c = p.shell().controls();
    p.dialogs.colour = [](const QColor &offered) {
        EXPECT_EQ(offered, QColor(Qt::red));   // red until the user chooses
        return QColor(0, 255, 0);
    };
    c.button(C::FocusTB_PeakingColor)->click();
    EXPECT_EQ(p.aids().peakingColour() & 0xFFFFFF, 0x00FF00u);
    c.button(C::FocusTB_Peaking)->click();
    ASSERT_TRUE(p.waitFrames(3));
    EXPECT_TRUE(p.video().showsFocusMarks());
    EXPECT_GT(countColour(p.video().grabVideo(), 0x00FF00), 500);
    // The snapshot button: the still picture is the camera's picture, without a mark.
    c.mainButton(C::CaptureImage_Btn)->click();
    const QImage still = p.app->still().document().picture().image();
    ASSERT_FALSE(still.isNull());
    EXPECT_EQ(countColour(still, 0x00FF00), 0);
    // A recording of the same moments holds none either.
    QTemporaryDir dir;
    const QString avi = dir.filePath(QStringLiteral("peaking.avi"));
    ASSERT_TRUE(p.cam().VideoCaptureAvi(avi));
    ASSERT_TRUE(p.waitFrames(10));
    ASSERT_TRUE(p.cam().VideoCaptureAviStop());
    const std::optional<platform::Bitmap> frame = p.system->services().files.videoFrame(avi, 3);
    ASSERT_TRUE(frame);
    EXPECT_EQ(countColour(frame->image(), 0x00FF00), 0);
    // Peaking off: the marks go from the next frame.
    c.button(C::FocusTB_Peaking)->click();
    EXPECT_FALSE(p.video().showsFocusMarks());
    EXPECT_EQ(countColour(p.video().grabVideo(), 0x00FF00), 0);
}

TEST(FocusAids, TheHistogramWindowAndTheZebraOnAnOverexposedPicture)
{
    Program p;
    Controls &c = p.shell().controls();
    // MJPEG, whose full-range pictures reach 255, overexposed with brightness and contrast up.
    c.action(C::SetMJPGPreview)->trigger();
    ASSERT_TRUE(p.connect());
    ASSERT_FALSE(p.cam().controlDevice()->setValue(platform::cid::Brightness, 64));
    ASSERT_FALSE(p.cam().controlDevice()->setValue(platform::cid::Contrast, 95));
    c.action(C::LiveHistogram_Tool)->trigger();
    c.action(C::ClippingWarning_Tool)->trigger();
    camera::ui::HistogramDialog *window = p.aids().histogramDialog();
    EXPECT_TRUE(window->isVisible());
    // Opened beside the main window where the screen has room, else over its right side, but
    // whole on the screen.
    const QRect room = window->screen()->availableGeometry();
    EXPECT_TRUE(room.contains(window->frameGeometry()))
        << window->frameGeometry().x() << "," << window->frameGeometry().y() << " " << window->frameGeometry().width()
        << "x" << window->frameGeometry().height() << " on " << room.width() << "x" << room.height();
    ASSERT_TRUE(p.waitFrames(10));
    EXPECT_TRUE(window->clippedText().contains(u'%'));
    EXPECT_TRUE(p.video().showsFocusMarks());
    // The stripes cover the clipped pixels of the frame shown, and nothing else: against the
    // frame with the overlay bitmap (the scale bar) on it, exactly the clipped pixels the overlay
    // leaves free change.
    const QImage shown = p.video().grabVideo();
    const QImage &frame = p.cam().latestFrame().image;
    const QImage overlaid = p.video().withOverlay(frame);
    ASSERT_EQ(shown.size(), frame.size());
    int clipped = 0, changedWhereClipped = 0, changedElsewhere = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb f = frame.pixel(x, y);
            const bool isClipped = qRed(f) == 255 || qGreen(f) == 255 || qBlue(f) == 255 || qRed(f) == 0 || qGreen(f) == 0 ||
                                   qBlue(f) == 0;
            const bool covered = (overlaid.pixel(x, y) & 0xFFFFFF) != (f & 0xFFFFFF);
            const bool changed = (shown.pixel(x, y) & 0xFFFFFF) != (overlaid.pixel(x, y) & 0xFFFFFF);
            clipped += isClipped && !covered;
            changedWhereClipped += changed && isClipped && !covered;
            changedElsewhere += changed && !(isClipped && !covered);
        }
    EXPECT_GT(clipped, frame.width() * frame.height() / 4);
    EXPECT_EQ(changedWhereClipped, clipped);
    EXPECT_EQ(changedElsewhere, 0);
    // RGB, then closing the window brings the switch up.
    window->findChild<QAbstractButton *>(QStringLiteral("HistogramRgb"))->click();
    EXPECT_EQ(p.aids().settings().channels, camera::HistogramChannels::Rgb);
    window->close();
    EXPECT_FALSE(c.action(C::LiveHistogram_Tool)->isChecked());
    EXPECT_FALSE(c.button(C::FocusTB_Histogram)->isChecked());
    EXPECT_FALSE(p.aids().settings().histogram);
}

TEST(FocusAids, OverAMaximisedWindowTheHistogramOpensLeftOfTheMeterReading)
{
    // A maximised window leaves no room beside it: the histogram opens over the window's right
    // side, but not over the meter bar and its reading.
    Program p;
    Controls &c = p.shell().controls();
    p.app->window().showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.app->window()));
    ASSERT_TRUE(p.connect());
    c.action(C::SharpnessMeter_Tool)->trigger();
    QWidget *meter = p.aids().meter();
    ASSERT_TRUE(QTest::qWaitFor([&] { return meter->isVisible(); }));
    c.action(C::LiveHistogram_Tool)->trigger();
    camera::ui::HistogramDialog *window = p.aids().histogramDialog();
    ASSERT_TRUE(window->isVisible());
    const QRect meterOnScreen(meter->mapToGlobal(QPoint(0, 0)), meter->size());
    EXPECT_FALSE(window->frameGeometry().intersects(meterOnScreen))
        << window->frameGeometry().x() << "+" << window->frameGeometry().width() << " against the meter at "
        << meterOnScreen.x();
    EXPECT_TRUE(window->screen()->availableGeometry().contains(window->frameGeometry()));
}

TEST(LineProfileTool, AcrossTheLockedMicrometerTheMinimaAreTenMicrometresApartAndTheCsvReadsBack)
{
    Program p;
    ASSERT_TRUE(p.connect());
    Controls &c = p.shell().controls();
    // 1.00 mm over 500 pixels of the 640-pixel picture: 1.28 mm across, 0.96 mm down.
    scales::RulerScaleControl scale = p.app->measure().surface().session().scale();
    scales::setLengthsFromMillimetreSpin(scale, 128, 96);
    p.app->measure().surface().setScale(scale);
    c.button(C::ChangeModeTB_Draw)->click();
    p.shell().UpdateActions();
    c.button(C::DrawRulerTB_LockFrame)->click();
    ASSERT_TRUE(p.cam().isFrozen());
    p.shell().UpdateActions();
    ASSERT_TRUE(c.action(C::LineProfile_Tool)->isEnabled());
    c.action(C::LineProfile_Tool)->trigger();
    // Across the short divisions: the 400 x 300 video area shows the 640 x 480 frame.
    camera::ui::VideoWidget &video = p.video();
    QTest::mousePress(&video, Qt::LeftButton, Qt::NoModifier, QPoint(38, 120));
    QTest::mouseMove(&video, QPoint(200, 120));
    QTest::mouseRelease(&video, Qt::LeftButton, Qt::NoModifier, QPoint(362, 120));
    measure::ui::LineProfileDialog &dialog = p.profile().dialog();
    ASSERT_TRUE(dialog.isVisible());
    const measure::LineProfile &profile = dialog.profile();
    EXPECT_EQ(profile.unit, QStringLiteral("mm"));
    EXPECT_NEAR(profile.pixelWidth, 0.002, 1e-9);
    const std::vector<double> minima = measure::testing::profileMinima(profile, 150);
    ASSERT_EQ(minima.size(), 101u);
    for (std::size_t i = 1; i < minima.size(); ++i)
        EXPECT_NEAR(minima[i] - minima[i - 1], 0.010, 0.002) << i;
    // The measurement did not take the drag for a shape.
    EXPECT_TRUE(p.app->measure().surface().session().history().empty());
    // Export, and read it back.
    QTemporaryDir dir;
    p.dialogs.file = [&dir](QFileDialog &picker) {
        EXPECT_EQ(picker.acceptMode(), QFileDialog::AcceptSave);
        return std::optional<QString>(dir.filePath(QStringLiteral("Profile.csv")));
    };
    ASSERT_TRUE(p.profile().exportCsv());
    QFile f(dir.filePath(QStringLiteral("Profile.csv")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(std::size_t(lines.size()), 10 + profile.samples.size());
    for (std::size_t i = 0; i < profile.samples.size(); ++i) {
        const QStringList fields = lines[qsizetype(10 + i)].split(u',');
        EXPECT_EQ(fields[0].toDouble(), profile.samples[i].distance);
        EXPECT_EQ(fields[1].toDouble(), profile.samples[i].intensity);
    }
    // A failed export is reported.
    p.dialogs.file = [&dir](QFileDialog &) {
        return std::optional<QString>(dir.filePath(QStringLiteral("missing/Profile.csv")));
    };
    const qsizetype before = p.presenter.texts.size();
    EXPECT_FALSE(p.profile().exportCsv());
    ASSERT_EQ(p.presenter.texts.size(), before + 1);
    // Off: the tool lets the drawing have the mouse again.
    c.action(C::LineProfile_Tool)->trigger();
    EXPECT_FALSE(p.profile().toolOn());
}

TEST(LineProfileTool, WorksOnTheStillPictureButLeavesTheLivePictureToMeasuring)
{
    Program p;
    ASSERT_TRUE(p.connect());
    Controls &c = p.shell().controls();
    c.mainButton(C::CaptureImage_Btn)->click();
    imaging::ui::StillImageView &still = p.app->still().view();
    ASSERT_FALSE(p.app->still().document().isEmpty());
    p.shell().UpdateActions();
    c.action(C::LineProfile_Tool)->trigger();
    ASSERT_TRUE(p.profile().toolOn());
    QWidget *control = still.pictureControl();
    const QPoint from(control->width() / 10, control->height() * 2 / 5), to(control->width() * 9 / 10, control->height() * 2 / 5);
    QTest::mousePress(control, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseRelease(control, Qt::LeftButton, Qt::NoModifier, to);
    ASSERT_TRUE(p.profile().dialog().isVisible());
    EXPECT_GT(p.profile().dialog().profile().samples.size(), 400u);   // about 0.8 of 640 pixels
    // Over the live picture the drag is the drawing's, not the profile's.
    const std::size_t samples = p.profile().dialog().profile().samples.size();
    QTest::mousePress(&p.video(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseRelease(&p.video(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
    EXPECT_EQ(p.profile().dialog().profile().samples.size(), samples);
}
