// The whole program on the virtual camera: connect, draw a measurement over the live picture,
// take a snapshot, close.
#include "app/ui/cameracontroller.h"
#include "app/ui/mainwindow.h"
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
        MainWindow &w = app->window();
        w.UpdateActions();
        if (!w.flags().DeviceFound)
            return false;
        QSignalSpy frames(&app->camera().camera(), &camera::TVideoCameraDS::frameReady);
        w.mainButton(kConnectBtn)->click();
        return w.flags().VideoConnected && (frames.count() > 0 || frames.wait(5000));
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
    MainWindow &w = p.app->window();
    EXPECT_FALSE(w.coverPanel()->isVisible());

    // Draw mode, line tool, two clicks over the video.
    w.findChild<QToolButton *>("ChangeModeTB_Draw")->click();
    EXPECT_EQ(w.flags().LiveMode, state::kLiveDraw);
    p.app->measure().drawStyleMenu()->findChild<QAction *>("ST_Line")->trigger();
    camera::ui::VideoWidget *video = p.app->camera().videoWidget();
    QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
    QTest::mouseMove(video, QPoint(200, 150));
    QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
    EXPECT_GT(nonWhitePixels(p.app->measure().surface().layer()), 100);

    // A snapshot lands in the still-image area.
    w.mainButton(kCaptureImageBtn)->click();
    EXPECT_FALSE(w.stillView()->isEmpty());
    EXPECT_EQ(w.stillView()->picture().size(), QSize(640, 480));

    // A short clip, named automatically, finished properly when the button is pressed again.
    w.defData().AutoSave = true;
    QSignalSpy frames(&p.app->camera().camera(), &camera::TVideoCameraDS::frameReady);
    w.mainButton(kRecordVideoBtn)->click();
    ASSERT_TRUE(w.flags().VideoRecording) << p.presenter.texts.join(" | ").toStdString();
    while (frames.count() < 10 && frames.wait(2000)) {
    }
    w.mainButton(kRecordVideoBtn)->click();
    EXPECT_FALSE(w.flags().VideoRecording);
    const QString clip = w.curListPath()[state::kListAvi] + "/Avi_20141111_00001.avi";
    ASSERT_TRUE(QFile::exists(clip));
    EXPECT_GT(QFileInfo(clip).size(), 640 * 480 * 3);

    // Playing the clip back disconnects the camera; a snapshot then takes the frame on the screen.
    w.stillView()->clear();
    w.playVideoFile(clip);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.flags().VideoPlaying && !video->shownFrame().isNull(); }, 5000));
    EXPECT_FALSE(w.flags().VideoConnected);
    w.UpdateActions();
    EXPECT_TRUE(w.mainButton(kCaptureImageBtn)->isVisible());
    w.mainButton(kCaptureImageBtn)->click();
    EXPECT_EQ(w.stillView()->picture().size(), QSize(640, 480));

    // Closing ends the session and writes the settings.
    w.close();
    EXPECT_TRUE(w.flags().IsClosing);
    EXPECT_FALSE(p.app->camera().camera().isConnected());
}
