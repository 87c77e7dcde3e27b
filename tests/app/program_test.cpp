// The whole program on the virtual camera: connect, draw a measurement over the live picture,
// take a snapshot, close.
#include "app/ui/cameracontroller.h"
#include "app/ui/mainwindow.h"
#include "app/ui/shell.h"
#include "app/ui/stillimagecontroller.h"
#include "app/ui/measurecontroller.h"
#include "app/ui/messagepresenter.h"
#include "app/ui/keyrouter.h"
#include "app/ui/playerfeature.h"
#include "app/ui/sendraapplication.h"
#include "camera/playback/ui/mediaplayercontroller.h"

#include "fakes.h"

#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "imaging/ui/stillimageview.h"
#include "measure/ui/measuringsurface.h"
#include "platform/diagnosticslog.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace app::ui;
using C = state::ControlId;

namespace {

struct AnswerOk final : MessagePresenter {
    QStringList texts;
    int show(const QString &text, const QString &, bool, int) override
    {
        texts << text;
        return kResultOk;
    }
};

struct Program {
    fakes::TemporaryProfile profile;
    fakes::FakeClock clock;
    platform::DiagnosticsLog log;
    AnswerOk presenter;
    std::unique_ptr<SendraApplication> app;

    Program()
    {
        qputenv("SENDRA_CAM_VIRTUAL_CAMERA", "1");
        app = std::make_unique<SendraApplication>(QStringLiteral(SENDRA_PROGRAM_DIR), log, clock, &presenter);
        app->window().show();
    }
    ~Program() { qunsetenv("SENDRA_CAM_VIRTUAL_CAMERA"); }

    bool connect()
    {
        Shell &w = app->shell();
        w.UpdateActions();
        if (!w.state().flags().DeviceFound)
            return false;
        QSignalSpy frames(&app->camera().camera(), &camera::TVideoCameraDS::frameReady);
        w.controls().mainButton(C::Connect_Btn)->click();
        return w.state().flags().VideoConnected && (frames.count() > 0 || frames.wait(5000));
    }
};

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
    EXPECT_FALSE(w.window().stillView()->isEmpty());
    EXPECT_EQ(w.window().stillView()->picture().size(), QSize(640, 480));

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
    w.window().stillView()->clear();
    p.app->still().playVideoFile(clip);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.state().flags().VideoPlaying && !video->shownFrame().isNull(); }, 5000));
    EXPECT_FALSE(w.state().flags().VideoConnected);
    w.UpdateActions();
    EXPECT_TRUE(w.controls().mainButton(C::CaptureImage_Btn)->isVisible());
    w.controls().mainButton(C::CaptureImage_Btn)->click();
    EXPECT_EQ(w.window().stillView()->picture().size(), QSize(640, 480));

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
    imaging::ui::StillImageView *still = w.window().stillView();
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
    const QString saved = still->hintPath();
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
    p.app->player().player().chooseFile = [&clip] { return clip; };
    clickShown(w, C::PlayVideo_Btn);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.state().flags().VideoPlaying; }, 5000));
    clickShown(w, C::PlayVideo_Btn);
    EXPECT_FALSE(w.state().flags().VideoPlaying);

    // Exit asks, then closes through the close sequence.
    clickShown(w, C::Exit_Btn);
    EXPECT_TRUE(w.state().flags().IsClosing);
    EXPECT_FALSE(w.window().isVisible());
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
    p.app->measure().pickColour = [&](const QColor &initial) {
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
