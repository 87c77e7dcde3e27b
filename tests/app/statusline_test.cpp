// What the window tells while it works: a running recording with its time and size, the exit
// question that names it, the picture's orientation chosen anywhere, and a status line tall
// enough to read. The whole program on the virtual camera.
#include "camera/flipmode.h"
#include "camera/playback/ui/mediaplayercontroller.h"
#include "camera/recordingstatus.h"
#include "camera/ui/recordingcontroller.h"
#include "imaging/stilldocument.h"
#include "imaging/ui/stillimagecontroller.h"
#include "platform/mediapipeline.h"

#include "wholeprogram.h"

#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using state::ControlId;

namespace {

QLabel *statusLabel(wholeprogram::Program &p, ControlId id) { return p.shell().controls().label(id); }

// Mean absolute difference of two pictures of one size, over the grey of each pixel.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_Grayscale8), y = b.convertToFormat(QImage::Format_Grayscale8);
    if (x.size() != y.size())
        return 255;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col)
            sum += std::abs(int(x.constScanLine(row)[col]) - int(y.constScanLine(row)[col]));
    return sum / (double(x.width()) * x.height());
}

} // namespace

TEST(StatusLine, IsTallEnoughToReadAndSitsBelowTheWindowsClient)
{
    wholeprogram::Program p;
    auto *bar = qobject_cast<QStatusBar *>(p.shell().controls().widget(ControlId::StatusBar));
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_GE(bar->height(), bar->fontMetrics().height() + 6) << bar->height();
    const QWidget &window = p.app->window();
    EXPECT_EQ(bar->geometry().bottom(), window.height() - 1);
    EXPECT_GE(bar->geometry().top(), p.app->window().centralWidget()->geometry().bottom());
    // The client keeps its whole size above it.
    EXPECT_EQ(p.app->window().centralWidget()->size(), QSize(800, 556));
}

TEST(StatusLine, ARecordingShowsItsRunningTimeAndFileSizeInTheLanguageAndGoesWhenItStops)
{
    wholeprogram::Program p;
    ASSERT_TRUE(p.connect());
    p.shell().controls().action(ControlId::AutoSave)->setChecked(true);
    QLabel *status = statusLabel(p, ControlId::StatusRecording_Lab);
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->isHidden());
    p.shell().controls().mainButton(ControlId::RecordVideo_Btn)->click();
    ASSERT_TRUE(p.shell().state().flags().VideoRecording);
    const QString path = p.app->recording().lastRecordedFile();
    EXPECT_TRUE(status->isVisible());
    // "Recording 00:00:01, 12.4 MB": the time goes on, the size is the file's.
    const QRegularExpression shape(QStringLiteral("^Recording (\\d\\d:\\d\\d:\\d\\d), (\\d+(\\.\\d+)? (B|kB|MB|GB))$"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return status->text().startsWith(QLatin1String("Recording 00:00:01, ")); }, 5000))
        << status->text().toStdString();
    p.app->recording().refreshStatus();
    const QRegularExpressionMatch m = shape.match(status->text());
    ASSERT_TRUE(m.hasMatch()) << status->text().toStdString();
    const std::int64_t onDisk = QFileInfo(path).size();
    EXPECT_GT(onDisk, 0);
    // The file grows between the label and this look; the label is never ahead of the file.
    const QString now = camera::RecordingStatus::sizeText(onDisk);
    EXPECT_TRUE(m.captured(2) == now || QFileInfo(path).size() >= onDisk) << m.captured(2).toStdString();

    p.shell().UpdateInterface(QStringLiteral("German"));
    EXPECT_TRUE(status->text().startsWith(QStringLiteral("Aufnahme läuft 00:00:0"))) << status->text().toStdString();

    p.shell().controls().mainButton(ControlId::RecordVideo_Btn)->click();
    EXPECT_FALSE(p.shell().state().flags().VideoRecording);
    EXPECT_TRUE(status->isHidden());
}

TEST(StatusLine, TheExitQuestionSaysThatARecordingRunsAndCancelKeepsIt)
{
    wholeprogram::Program p;
    ASSERT_TRUE(p.connect());
    p.shell().controls().action(ControlId::AutoSave)->setChecked(true);
    p.shell().controls().mainButton(ControlId::RecordVideo_Btn)->click();
    ASSERT_TRUE(p.shell().state().flags().VideoRecording);
    p.presenter.texts.clear();
    p.presenter.answers = {app::ui::kResultCancel};
    p.shell().controls().mainButton(ControlId::Exit_Btn)->click();
    EXPECT_EQ(p.presenter.texts, QStringList{p.shell().texts().text(QStringLiteral("WhetherExitRecording_MsgBox"))});
    EXPECT_TRUE(p.shell().state().flags().VideoRecording) << "Cancel leaves everything as it was";
    EXPECT_TRUE(p.app->window().isVisible());

    p.shell().controls().mainButton(ControlId::RecordVideo_Btn)->click();
    p.presenter.texts.clear();
    p.presenter.answers = {app::ui::kResultCancel};
    p.shell().controls().mainButton(ControlId::Exit_Btn)->click();
    EXPECT_EQ(p.presenter.texts, QStringList{p.shell().texts().text(QStringLiteral("WhetherExitQuila_MsgBox"))});
}

TEST(StatusLine, AFlipChosenInThePlayerStaysOnTheLivePictureAndItsStillsAndTheStatusLineSaysSo)
{
    wholeprogram::Program p;
    ASSERT_TRUE(p.connect());
    QLabel *orientation = statusLabel(p, ControlId::StatusOrientation_Lab);
    ASSERT_NE(orientation, nullptr);
    EXPECT_TRUE(orientation->isHidden()) << "as delivered: nothing to say";

    // A clip to play, recorded here.
    p.shell().controls().action(ControlId::AutoSave)->setChecked(true);
    p.shell().controls().mainButton(ControlId::RecordVideo_Btn)->click();
    ASSERT_TRUE(p.shell().state().flags().VideoRecording);
    QSignalSpy frames(&p.app->camera().camera(), &camera::TVideoCameraDS::frameReady);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.count() >= 10; }, 5000));
    p.shell().controls().mainButton(ControlId::RecordVideo_Btn)->click();
    const QString clip = p.app->recording().lastRecordedFile();

    // In the player, the user mirrors the picture (MediaLeftOthers_Btn: flip mode 0) and leaves.
    ASSERT_TRUE(p.app->player().PlayerVideoCom(clip));
    p.shell().controls().toolButton(ControlId::MediaLeftOthers_Btn)->click();
    EXPECT_EQ(p.app->camera().camera().GetFlipMode(), camera::kFlipMirrored);
    EXPECT_TRUE(orientation->isVisible());
    p.app->player().ExitMediaPlayer();
    EXPECT_TRUE(orientation->isHidden()) << "no picture runs";

    // The live picture keeps the one flip mode; the status line and the picture-control bar say so.
    ASSERT_TRUE(p.connect());
    EXPECT_EQ(p.app->camera().camera().GetFlipMode(), camera::kFlipMirrored);
    EXPECT_TRUE(orientation->isVisible());
    EXPECT_EQ(orientation->text(), p.shell().texts().text(QStringLiteral("OrientationMirrored_Lab")));
    EXPECT_TRUE(p.shell().controls().toolButton(ControlId::VideoCtrlTB_LeftSelf)->isChecked())
        << "the picture-control bar's button for mode 0";
    EXPECT_FALSE(p.shell().controls().toolButton(ControlId::VideoCtrlTB_RightOthers)->isChecked());

    // A still taken now is mirrored as the picture on screen is.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !p.app->camera().camera().latestFrame().image.isNull(); }, 5000));
    p.shell().UpdateActions();
    p.shell().controls().mainButton(ControlId::CaptureImage_Btn)->click();
    const QImage still = p.app->still().document().picture().image();
    const QImage live = platform::fullPicture(p.app->camera().camera().latestFrame());
    ASSERT_FALSE(still.isNull());
    EXPECT_LT(meanDifference(still, camera::flipped(live, camera::kFlipMirrored)), 3.0);
    EXPECT_GT(meanDifference(still, live), 3.0) << "the specimen is not symmetric, so a mirror shows";

    // Back to "as delivered" through the picture-control bar: nothing more to say.
    p.shell().controls().toolButton(ControlId::VideoCtrlTB_RightOthers)->click();
    EXPECT_EQ(p.app->camera().camera().GetFlipMode(), camera::kFlipNone);
    EXPECT_TRUE(orientation->isHidden());
    // Each other orientation has its own words, in the language.
    p.shell().UpdateInterface(QStringLiteral("French"));
    p.shell().controls().toolButton(ControlId::VideoCtrlTB_LeftOthers)->click();
    EXPECT_EQ(orientation->text(), p.shell().texts().text(QStringLiteral("OrientationTurned_Lab")));
    EXPECT_EQ(orientation->text(), QStringLiteral("Image tournée de 180°"));
    p.shell().controls().toolButton(ControlId::VideoCtrlTB_RightSelf)->click();
    EXPECT_EQ(orientation->text(), p.shell().texts().text(QStringLiteral("OrientationUpsideDown_Lab")));
}
