// The whole program on the virtual camera: connect, draw a measurement over the live picture,
// take a snapshot, close.
#include "app/ui/cameracontroller.h"
#include "app/ui/mainwindow.h"
#include "app/ui/shell.h"
#include "app/ui/stillimagecontroller.h"
#include "app/ui/measurecontroller.h"
#include "app/ui/messagepresenter.h"
#include "app/ui/sendraapplication.h"

#include "fakes.h"

#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "imaging/ui/stillimageview.h"
#include "measure/ui/measuringsurface.h"
#include "platform/diagnosticslog.h"

#include <QAction>
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
