// The whole program on the virtual camera: connect, draw a measurement over the live picture,
// take a snapshot, close.
#include "camera/ui/cameracontroller.h"
#include "app/ui/mainwindow.h"
#include "app/ui/shell.h"
#include "imaging/ui/stillimagecontroller.h"
#include "measure/ui/measurecontroller.h"
#include "app/ui/messagepresenter.h"
#include "app/ui/keyrouter.h"
#include "camera/playback/ui/mediaplayercontroller.h"
#include "app/ui/sendraapplication.h"
#include "app/ui/layoutcontroller.h"

#include "fakes.h"
#include "wholeprogram.h"

#include "camera/ui/videoformatdialog.h"
#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "imaging/stilldocument.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "measure/ui/measuringsurface.h"
#include "platform/controldevice.h"
#include "platform/diagnosticslog.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace app::ui;
using measure::ui::MeasureController;
using measure::ui::ResultsController;
using scales::ui::ScaleController;
using C = state::ControlId;

namespace {

using wholeprogram::Program;

int nonWhitePixels(const platform::Bitmap &b)
{
    int n = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            n += (b.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return n;
}

} // namespace

TEST(Program, ConnectDrawALineAndCaptureOnTheVirtualCamera)
{
    Program p;
    ASSERT_TRUE(p.connect());
    Shell &w = p.app->shell();
    EXPECT_FALSE(w.controls().widget(C::CoverPanel)->isVisible());

    // Draw mode, line tool, two clicks over the video.
    w.controls().button(C::ChangeModeTB_Draw)->click();
    EXPECT_EQ(w.state().flags().LiveMode, state::kLiveDraw);
    w.controls().action(C::ST_Line)->trigger();
    camera::ui::VideoWidget *video = p.app->camera().videoWidget();
    QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
    QTest::mouseMove(video, QPoint(200, 150));
    QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
    EXPECT_GT(nonWhitePixels(p.app->measure().surface().layer()), 100);

    // A snapshot lands in the still-image area.
    w.controls().mainButton(C::CaptureImage_Btn)->click();
    EXPECT_FALSE(p.app->still().document().isEmpty());
    EXPECT_EQ(p.app->still().document().picture().size(), QSize(640, 480));

    // A short clip, named automatically, finished properly when the button is pressed again.
    w.controls().action(C::AutoSave)->setChecked(true);
    QSignalSpy frames(&p.app->camera().camera(), &camera::TVideoCameraDS::frameReady);
    w.controls().mainButton(C::RecordVideo_Btn)->click();
    ASSERT_TRUE(w.state().flags().VideoRecording) << p.presenter.texts.join(" | ").toStdString();
    while (frames.count() < 10 && frames.wait(2000)) {
    }
    w.controls().mainButton(C::RecordVideo_Btn)->click();
    EXPECT_FALSE(w.state().flags().VideoRecording);
    const QString clip = w.state().curListPath()[state::kListAvi] + "/Avi_20141111_00001.avi";
    ASSERT_TRUE(QFile::exists(clip));
    EXPECT_GT(QFileInfo(clip).size(), 640 * 480 * 3);

    // Playing the clip back disconnects the camera; a snapshot then takes the frame on the screen.
    p.app->still().document().clear();
    p.app->player().PlayerVideoCom(clip);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.state().flags().VideoPlaying && !video->shownFrame().isNull(); }, 5000));
    EXPECT_FALSE(w.state().flags().VideoConnected);
    w.UpdateActions();
    EXPECT_TRUE(w.controls().mainButton(C::CaptureImage_Btn)->isVisible());
    w.controls().mainButton(C::CaptureImage_Btn)->click();
    EXPECT_EQ(p.app->still().document().picture().size(), QSize(640, 480));

    // Closing ends the session and writes the settings.
    w.window().close();
    EXPECT_TRUE(w.state().flags().IsClosing);
    EXPECT_FALSE(p.app->camera().camera().isConnected());
}

namespace {

// A click as the user makes it: the button must be on the screen after the idle-time update.
void clickShown(Shell &w, C id)
{
    w.UpdateActions();
    QPushButton *b = w.controls().mainButton(id);
    ASSERT_TRUE(b->isVisible()) << state::controlName(id);
    QTest::mouseClick(b, Qt::LeftButton);
}

void sendKey(QWidget *to, QEvent::Type type, int key, quint64 timestampMs)
{
    QKeyEvent e(type, key, Qt::NoModifier, key == Qt::Key_Space ? QStringLiteral(" ") : QString());
    e.setTimestamp(timestampMs);
    QApplication::sendEvent(to, &e);
}

} // namespace

TEST(Program, EveryMainButtonAndTheKeysWorkThroughTheRealWindow)
{
    Program p;
    Shell &w = p.app->shell();
    QApplication::setActiveWindow(&w.window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window()));
    w.UpdateActions();
    ASSERT_TRUE(w.state().flags().DeviceFound);
    QSignalSpy frames(&p.app->camera().camera(), &camera::TVideoCameraDS::frameReady);
    clickShown(w, C::Connect_Btn);
    ASSERT_TRUE(w.state().flags().VideoConnected);
    ASSERT_TRUE(frames.count() > 0 || frames.wait(5000));

    // Space snaps once per press, also when a held key comes as press/release pairs without the
    // auto-repeat flag, as an X server without that flag sends them.
    imaging::StillDocument *still = &p.app->still().document();
    QTest::keyClick(&w.window(), Qt::Key_Space);
    EXPECT_EQ(p.app->keys().snapshotPresses(), 1);
    EXPECT_FALSE(still->isEmpty());
    QWidget *focus = w.window().centralWidget();
    for (quint64 t = 1000; t < 1600; t += 30) {
        sendKey(focus, QEvent::KeyPress, Qt::Key_Space, t);
        sendKey(focus, QEvent::KeyRelease, Qt::Key_Space, t + 5);
    }
    EXPECT_EQ(p.app->keys().snapshotPresses(), 2);

    // Tab moves the focus, an arrow moves a focused track bar, and typing reaches a text field.
    QAbstractButton *brightness = w.controls().button(C::VideoCtrlTB_Brightness);
    w.controls().button(C::ChangeModeTB_VideoCtrl)->click();
    w.UpdateActions();
    brightness->click();
    QAbstractSlider *bar = w.controls().slider(C::VideoCtrlTB_BrightnessTKB);
    w.UpdateActions();
    ASSERT_TRUE(bar->isEnabled());
    bar->setFocus();
    const int before = bar->value();
    QTest::keyClick(bar, Qt::Key_Right);
    EXPECT_EQ(bar->value(), before + bar->singleStep());
    auto *field = new QLineEdit(w.window().centralWidget());   // stands for any text box of the window
    field->show();
    field->setFocus();
    QTest::keyClicks(field, "a v b");
    EXPECT_EQ(field->text(), "a v b");
    EXPECT_EQ(p.app->keys().snapshotPresses(), 2);
    EXPECT_FALSE(w.state().flags().VideoRecording);
    QTest::keyClick(field, Qt::Key_Tab);
    EXPECT_FALSE(field->hasFocus());
    delete field;
    w.window().setFocus();

    // Capture, then the still-image buttons in turn.
    clickShown(w, C::CaptureImage_Btn);
    EXPECT_TRUE(still->hasUnsavedEdits());   // a snapshot without auto save is not on disk yet
    w.controls().action(C::AutoSave)->setChecked(true);
    clickShown(w, C::SaveImage_Btn);
    const QString saved = still->filePath();
    ASSERT_TRUE(QFile::exists(saved)) << saved.toStdString();
    clickShown(w, C::EditorImage_Btn);
    EXPECT_TRUE(w.state().flags().EditMode);
    clickShown(w, C::ImageProcess_Btn);
    EXPECT_FALSE(w.state().flags().EditMode);
    EXPECT_TRUE(w.state().flags().ImageProcessMode);
    clickShown(w, C::ImageProcess_Btn);
    EXPECT_FALSE(w.state().flags().ImageProcessMode);
    clickShown(w, C::DelViewVideo_Btn);   // the question is answered OK
    EXPECT_FALSE(QFile::exists(saved));
    EXPECT_TRUE(still->isEmpty());

    // V records, V stops; the record button does the same.
    QTest::keyClick(&w.window(), Qt::Key_V);
    ASSERT_TRUE(w.state().flags().VideoRecording) << p.presenter.texts.join(" | ").toStdString();
    const int recorded = frames.count();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.count() >= recorded + 5; }, 5000));
    QTest::keyClick(&w.window(), Qt::Key_V);
    EXPECT_FALSE(w.state().flags().VideoRecording);
    clickShown(w, C::RecordVideo_Btn);
    EXPECT_TRUE(w.state().flags().VideoRecording);
    clickShown(w, C::RecordVideo_Btn);
    EXPECT_FALSE(w.state().flags().VideoRecording);
    const QString clip = w.state().curListPath()[state::kListAvi] + "/Avi_20141111_00001.avi";
    ASSERT_TRUE(QFile::exists(clip));

    // Play asks for a file and plays it; pressing it again leaves the player.
    p.dialogs.file = [&clip](QFileDialog &) { return std::optional<QString>(clip); };
    clickShown(w, C::PlayVideo_Btn);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.state().flags().VideoPlaying; }, 5000));
    clickShown(w, C::PlayVideo_Btn);
    EXPECT_FALSE(w.state().flags().VideoPlaying);

    // Exit asks, then closes through the close sequence.
    clickShown(w, C::Exit_Btn);
    EXPECT_TRUE(w.state().flags().IsClosing);
    EXPECT_FALSE(w.window().isVisible());
}

namespace {

// Waits until the camera delivers a frame that differs from `than`: proof that it still streams.
bool waitForADifferentFrame(camera::TVideoCameraDS &camera, const QImage &than)
{
    return QTest::qWaitFor([&] { return camera.latestFrame().image.convertToFormat(than.format()) != than; }, 5000);
}

bool samePixels(const QImage &a, const QImage &b)
{
    return a.size() == b.size() && a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(Program, ALockedFrameStandsStillWhileTheCameraStreamsAndIsMeasuredAndSnapped)
{
    Program p;
    Shell &w = p.app->shell();
    QApplication::setActiveWindow(&w.window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window()));
    ASSERT_TRUE(p.connect());
    camera::TVideoCameraDS &cam = p.app->camera().camera();
    camera::ui::VideoWidget *video = p.app->camera().videoWidget();
    w.controls().button(C::ChangeModeTB_Draw)->click();
    w.UpdateActions();
    QAbstractButton *lock = w.controls().button(C::DrawRulerTB_LockFrame);
    QAbstractButton *load = w.controls().button(C::DrawRulerTB_LoadImage);
    ASSERT_TRUE(lock->isVisible() && lock->isEnabled());
    ASSERT_TRUE(load->isEnabled());

    QTest::mouseClick(lock, Qt::LeftButton);
    ASSERT_TRUE(lock->isChecked());
    ASSERT_TRUE(cam.isFrozen());
    EXPECT_TRUE(video->showsStill());
    EXPECT_EQ(cam.GetFilterGraphState(), 2);
    const QImage locked = cam.stillImage().copy();
    const QImage shown = video->grabVideo();

    // The camera's picture changes and keeps coming; the window keeps the locked one.
    ASSERT_TRUE(cam.controlDevice());
    ASSERT_FALSE(cam.controlDevice()->setValue(platform::cid::Brightness, 60));
    QSignalSpy frames(&cam, &camera::TVideoCameraDS::frameReady);
    ASSERT_TRUE(waitForADifferentFrame(cam, locked.convertToFormat(cam.latestFrame().image.format())));
    ASSERT_TRUE(frames.count() > 0 || frames.wait(5000));
    EXPECT_TRUE(samePixels(video->grabVideo(), shown));

    // A line drawn on the locked frame.
    w.controls().action(C::ST_Line)->trigger();
    QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
    QTest::mouseMove(video, QPoint(200, 150));
    QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
    EXPECT_GT(nonWhitePixels(p.app->measure().surface().layer()), 100);
    EXPECT_FALSE(p.app->measure().surface().session().flags().live);

    // The capture button is away while the frame is locked; Space snaps the locked frame.
    w.UpdateActions();
    EXPECT_FALSE(w.controls().mainButton(C::CaptureImage_Btn)->isVisible());
    w.window().setFocus();
    QTest::keyClick(&w.window(), Qt::Key_Space);
    EXPECT_TRUE(samePixels(p.app->still().document().picture().image(), locked));

    // Releasing brings the live (now brighter) picture back.
    QTest::mouseClick(lock, Qt::LeftButton);
    EXPECT_FALSE(lock->isChecked());
    EXPECT_FALSE(cam.isFrozen());
    EXPECT_FALSE(video->showsStill());
    EXPECT_EQ(cam.GetFilterGraphState(), 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !samePixels(video->grabVideo(), shown); }, 5000));

    // Locked again, then disconnected: both buttons come up and the picture is live no more.
    QTest::mouseClick(lock, Qt::LeftButton);
    ASSERT_TRUE(cam.isFrozen());
    clickShown(w, C::Connect_Btn);
    EXPECT_FALSE(w.state().flags().VideoConnected);
    EXPECT_FALSE(lock->isChecked());
    EXPECT_FALSE(cam.isFrozen());
    EXPECT_FALSE(video->showsStill());
}

TEST(Program, LoadImageShowsAPictureFileAndTakesTurnsWithLockFrame)
{
    Program p;
    ASSERT_TRUE(p.connect());
    Shell &w = p.app->shell();
    camera::TVideoCameraDS &cam = p.app->camera().camera();
    camera::ui::VideoWidget *video = p.app->camera().videoWidget();
    w.controls().button(C::ChangeModeTB_Draw)->click();
    w.UpdateActions();
    QAbstractButton *lock = w.controls().button(C::DrawRulerTB_LockFrame);
    QAbstractButton *load = w.controls().button(C::DrawRulerTB_LoadImage);
    // The picture shown is compared with the file: no scale bar over it.
    p.app->measure().surface().setScaleBarHidden(true);

    QImage picture(320, 200, QImage::Format_RGB32);
    picture.fill(qRgb(10, 200, 30));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("specimen.bmp");
    ASSERT_TRUE(picture.save(file, "BMP"));
    QList<std::pair<int, QString>> asked;
    std::optional<QString> answer;   // cancelled first
    p.dialogs.file = [&](QFileDialog &dialog) {
        asked.append({int(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1, dialog.directory().absolutePath()});
        return answer;
    };

    // Cancelling the dialog releases the button and leaves the live picture. On the JPG page the
    // dialog starts with filter 2 in the JPG folder, on the BMP page with 1 in the BMP folder.
    p.app->still().browser().showKind(state::kListJpg);
    QTest::mouseClick(load, Qt::LeftButton);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.last(), (std::pair<int, QString>{2, w.state().curListPath()[state::kListJpg]}));
    EXPECT_FALSE(load->isChecked());
    EXPECT_FALSE(cam.isFrozen());
    p.app->still().browser().showKind(state::kListBmp);
    answer = file;
    QTest::mouseClick(load, Qt::LeftButton);
    EXPECT_EQ(asked.last(), (std::pair<int, QString>{1, w.state().curListPath()[state::kListBmp]}));
    ASSERT_TRUE(load->isChecked());
    ASSERT_TRUE(cam.isFrozen());
    EXPECT_TRUE(samePixels(cam.stillImage(), picture));
    EXPECT_TRUE(samePixels(video->grabVideo().scaled(320, 200), picture));
    // Lengths are measured on the loaded picture's pixels.
    EXPECT_EQ(p.app->measure().surface().session().pictureSize(), QSize(320, 200));

    // Lock releases load and locks the camera's frame.
    QTest::mouseClick(lock, Qt::LeftButton);
    EXPECT_TRUE(lock->isChecked());
    EXPECT_FALSE(load->isChecked());
    ASSERT_TRUE(cam.isFrozen());
    EXPECT_EQ(cam.stillImage().size(), QSize(640, 480));
    EXPECT_EQ(p.app->measure().surface().session().pictureSize(), QSize(640, 480));

    // Load while locked: the loaded picture replaces it, only one button stays down.
    QTest::mouseClick(load, Qt::LeftButton);
    EXPECT_TRUE(load->isChecked());
    EXPECT_FALSE(lock->isChecked());
    EXPECT_EQ(cam.stillImage().size(), QSize(320, 200));

    // Up again: live.
    QTest::mouseClick(load, Qt::LeftButton);
    EXPECT_FALSE(load->isChecked());
    EXPECT_FALSE(cam.isFrozen());
    EXPECT_EQ(p.app->measure().surface().session().pictureSize(), QSize(640, 480));

    // Leaving the draw mode releases a loaded picture too.
    QTest::mouseClick(load, Qt::LeftButton);
    ASSERT_TRUE(cam.isFrozen());
    w.controls().button(C::ChangeModeTB_VideoCtrl)->click();
    EXPECT_FALSE(load->isChecked());
    EXPECT_FALSE(cam.isFrozen());
}

TEST(Program, AFormatChangeOfHeightAloneReachesTheMeasuringSurface)
{
    Program p;
    Shell &w = p.app->shell();
    p.app->layout().screenSizeOverride = QSize(1920, 1300);
    p.app->layout().updatePresetAvailability();
    camera::TVideoCameraDS &cam = p.app->camera().camera();
    cam.SetPreviewDefalutState(1, true);   // MJPG 1600 x 1200
    ASSERT_TRUE(p.connect());
    ASSERT_EQ(cam.videoSize(), QSize(1600, 1200));
    w.controls().action(C::N1600_1200_Screen)->trigger();
    ASSERT_EQ(w.window().videoArea()->size(), QSize(1600, 1200));
    const measure::MeasuringSession &session = p.app->measure().surface().session();
    EXPECT_EQ(session.pictureSize(), QSize(1600, 1200));

    // The format dialog chooses 1600 x 900.
    std::optional<platform::CaptureFormat> offered;
    p.dialogs.other = [&](QDialog &dialog) {
        auto &d = dynamic_cast<camera::ui::VideoFormatDialog &>(dialog);
        platform::CaptureFormat f = d.selectedFormat();
        f.width = 1600;
        f.height = 900;
        if (!d.select(f))
            return int(QDialog::Rejected);
        offered = d.selectedFormat();
        return int(QDialog::Accepted);
    };
    w.UpdateActions();
    w.controls().action(C::VideoFormat)->trigger();
    ASSERT_TRUE(offered);
    ASSERT_TRUE(cam.isConnected());
    EXPECT_EQ(cam.videoSize(), QSize(1600, 900));
    EXPECT_EQ(session.pictureSize(), QSize(1600, 900));

    // A vertical line over 800 window pixels of a 1200-high window spans 600 picture pixels.
    w.controls().button(C::ChangeModeTB_Draw)->click();
    w.controls().action(C::ST_Line)->trigger();
    camera::ui::VideoWidget *video = p.app->camera().videoWidget();
    ASSERT_EQ(video->size(), QSize(1600, 1200));
    QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseMove(video, QPoint(100, 500));
    QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(100, 900));
    EXPECT_FLOAT_EQ(session.shape().a.y, 75.0f);
    EXPECT_FLOAT_EQ(session.shape().b.y, 675.0f);
    EXPECT_FLOAT_EQ(session.shape().b.x, 100.0f);
}

TEST(Program, CtrlDragMovesAnOverhangingVideoAreaOnlyWithinItsRange)
{
    Program p;
    Shell &w = p.app->shell();
    LayoutController &layout = p.app->layout();
    layout.screenSizeOverride = QSize(1024, 768);
    layout.setCameraResolution(QSize(1600, 1200));
    w.controls().action(C::NBy_Resolution)->trigger();
    QWidget *area = w.window().videoArea();
    ASSERT_EQ(area->pos(), QPoint(-288, -216));
    ASSERT_TRUE(layout.videoDrag().enabled);
    camera::ui::VideoWidget *video = p.app->camera().videoWidget();

    QTest::mousePress(video, Qt::LeftButton, Qt::ControlModifier, QPoint(500, 500));
    // QTest's move carries no modifiers: the Ctrl-moves are sent by hand.
    QMouseEvent moveBy(QEvent::MouseMove, QPointF(600, 550), video->mapToGlobal(QPointF(600, 550)), Qt::NoButton,
                       Qt::LeftButton, Qt::ControlModifier);
    QApplication::sendEvent(video, &moveBy);
    EXPECT_EQ(area->pos(), QPoint(-188, -166));
    QMouseEvent tooFar(QEvent::MouseMove, QPointF(2000, -1000), video->mapToGlobal(QPointF(2000, -1000)), Qt::NoButton,
                       Qt::LeftButton, Qt::ControlModifier);
    QApplication::sendEvent(video, &tooFar);
    EXPECT_EQ(area->pos(), QPoint(0, -432));   // clamped to (0, 0) .. (1024 - 1600, 768 - 1200)
    QTest::mouseRelease(video, Qt::LeftButton, Qt::ControlModifier, QPoint(500, 500));

    // Back in "Normal" the area stays where the layout puts it.
    w.controls().action(C::NNormal_Screen)->trigger();
    EXPECT_FALSE(layout.videoDrag().enabled);
    const QPoint normal = area->pos();
    QTest::mousePress(video, Qt::LeftButton, Qt::ControlModifier, QPoint(100, 100));
    QMouseEvent tryMove(QEvent::MouseMove, QPointF(150, 150), video->mapToGlobal(QPointF(150, 150)), Qt::NoButton,
                        Qt::LeftButton, Qt::ControlModifier);
    QApplication::sendEvent(video, &tryMove);
    QTest::mouseRelease(video, Qt::LeftButton, Qt::ControlModifier, QPoint(150, 150));
    EXPECT_EQ(area->pos(), normal);
}

TEST(Program, ColourButtonOpensAtThePensColourAndWhiteStaysWhiteToTheUser)
{
    Program p;
    ASSERT_TRUE(p.connect());
    Shell &w = p.app->shell();
    w.controls().button(C::ChangeModeTB_Draw)->click();
    w.UpdateActions();
    QAbstractButton *colourButton = w.controls().button(C::DrawRulerTB_SetColor);
    ASSERT_TRUE(colourButton->isEnabled());
    measure::MeasuringSession &session = p.app->measure().surface().session();

    QList<QColor> offered;
    QColor answer;
    p.dialogs.colour = [&](const QColor &initial) {
        offered << initial;
        return answer;
    };
    session.setColour(platform::rgbColor(0, 128, 255));
    answer = QColor();   // cancelled: the pen keeps its colour
    colourButton->click();
    ASSERT_EQ(offered.size(), 1);
    EXPECT_EQ(offered[0], QColor(0, 128, 255));
    EXPECT_EQ(session.shape().colour, platform::rgbColor(0, 128, 255));

    answer = QColor(Qt::white);   // stored as near-white, offered as white next time
    colourButton->click();
    EXPECT_EQ(session.shape().colour, 0xFFFFFEu);
    colourButton->click();
    ASSERT_EQ(offered.size(), 3);
    EXPECT_EQ(offered[2], QColor(Qt::white));
}
