// The whole program on the virtual camera: calibrate a new ruler scale on the stage micrometer
// through the scale dialog and the calibration window, measure with it, restart, measure again.
#include "app/main/systemservices.h"
#include "camera/ui/cameracontroller.h"
#include "app/ui/mainwindow.h"
#include "measure/ui/measurecontroller.h"
#include "app/ui/messagepresenter.h"
#include "scales/ui/scalecontroller.h"
#include "app/ui/sendraapplication.h"
#include "app/ui/shell.h"

#include "fakes.h"

#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "measure/ui/measuringsurface.h"
#include "platform/canvas.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/specimen.h"
#include "scales/scalestore.h"
#include "state/cameramemory.h"
#include "camera/ui/cameramemorykeeper.h"
#include "scales/ui/calibratewindow.h"
#include "scales/ui/newscalenamedlg.h"
#include "scales/ui/radiogroup.h"
#include "scales/ui/setrulerdlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QMenu>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <QTime>

using namespace app::ui;
using measure::ui::MeasureController;
using measure::ui::ResultsController;
using scales::ui::ScaleController;
using C = state::ControlId;

namespace {

struct Answers final : MessagePresenter {
    QStringList texts;
    QList<int> answers;   // the next answers, first to last; OK once they run out
    int show(const QString &text, const QString &, bool, int) override
    {
        texts << text;
        return answers.isEmpty() ? kResultOk : answers.takeFirst();
    }
};

// Draws for real and keeps every text drawn, so that a test reads the labels the user sees.
class TextTap final : public platform::Canvas
{
public:
    TextTap(platform::Bitmap &b, QStringList &texts) : inner_(b), texts_(texts) {}
    void setPen(int s, int w, platform::ColorRef c) override { inner_.setPen(s, w, c); }
    void moveTo(int x, int y) override { inner_.moveTo(x, y); }
    void lineTo(int x, int y) override { inner_.lineTo(x, y); }
    void ellipse(int l, int t, int r, int b) override { inner_.ellipse(l, t, r, b); }
    void rectangle(int l, int t, int r, int b) override { inner_.rectangle(l, t, r, b); }
    void arc(int l, int t, int r, int b, int xs, int ys, int xe, int ye) override { inner_.arc(l, t, r, b, xs, ys, xe, ye); }
    void fillRect(int l, int t, int r, int b, platform::ColorRef c) override { inner_.fillRect(l, t, r, b, c); }
    void setFont(int px, bool bold) override { inner_.setFont(px, bold); }
    void setTextColour(platform::ColorRef c) override { inner_.setTextColour(c); }
    void textOut(int x, int y, const QString &t) override
    {
        texts_ << t;
        inner_.textOut(x, y, t);
    }
    int textWidth(const QString &t) override { return inner_.textWidth(t); }
    int textHeight(const QString &t) override { return inner_.textHeight(t); }

private:
    platform::BitmapCanvas inner_;
    QStringList &texts_;
};

// Division `d` (0 to 100) of the stage micrometer in a picture `width` pixels wide.
double divisionX(int width, int d)
{
    const double div = platform::specimenPixelsPerDivision(width);
    return (width - 100 * div) / 2 + d * div;
}

// A widget position that maps onto picture pixel `x` of `picture` shown in `widget` pixels.
int widgetX(double x, int picture, int widget)
{
    return widget >= picture ? int(std::ceil(x * widget / picture - 1e-9)) : int(std::lround(x * widget / picture));
}

// Runs `action` once the event loop is free: inside the modal dialog that the caller is about
// to open.
void whenModal(std::function<void()> action) { QTimer::singleShot(0, std::move(action)); }

struct ProgramRun {
    fakes::FakeClock clock;
    platform::DiagnosticsLog log;
    Answers presenter;
    // Built before the program and destroyed after it.
    std::unique_ptr<::app::SystemServices> system;
    std::unique_ptr<SendraApplication> app;
    QStringList labels;

    // `monitorWidthCm`: the width the monitor's description gives; 0 for none (as under Xvfb).
    explicit ProgramRun(float monitorWidthCm = 0)
    {
        system = std::make_unique<::app::SystemServices>(QStringLiteral(SENDRA_PROGRAM_DIR), log);
        PlatformServices services = system->services();
        services.monitor = platform::MonitorSize{};
        services.monitor.detectedWidthCm = monitorWidthCm;
        app = std::make_unique<SendraApplication>(QStringLiteral(SENDRA_PROGRAM_DIR), log, clock, services, &presenter);
        app->window().show();
        app->measure().surface().session().setCanvasFactory(
            [this](platform::Bitmap &b) { return std::make_unique<TextTap>(b, labels); });
    }
    Shell &shell() { return app->shell(); }

    bool connect()
    {
        shell().UpdateActions();
        if (!shell().state().flags().DeviceFound)
            return false;
        QSignalSpy frames(&app->camera().camera(), &camera::TVideoCameraDS::frameReady);
        shell().controls().mainButton(C::Connect_Btn)->click();
        return shell().state().flags().VideoConnected && (frames.count() > 0 || frames.wait(5000));
    }

    // The camera streams in another format; true once a frame of that size has arrived.
    bool setFormat(platform::FourCC code, int width, int height)
    {
        camera::TVideoCameraDS &cam = app->camera().camera();
        QSignalSpy frames(&cam, &camera::TVideoCameraDS::frameReady);
        if (!cam.applyFormat({code, width, height, {30, 1}}))
            return false;
        return cam.videoSize() == QSize(width, height) && frames.wait(5000);
    }

    // The checked camera of the devices menu, by its place among the cameras listed.
    int cameraInUse()
    {
        int i = 0;
        for (QAction *a : shell().controls().menu(C::DevicesEnum)->actions())
            if (a->isCheckable()) {
                if (a->isChecked())
                    return i;
                ++i;
            }
        return -1;
    }

    // The camera chosen in the devices menu (`index` among the cameras listed), connected.
    bool chooseCamera(int index)
    {
        QMenu *menu = shell().controls().menu(C::DevicesEnum);
        QList<QAction *> cameras;
        for (QAction *a : menu->actions())
            if (a->isCheckable())
                cameras << a;
        if (index >= cameras.size())
            return false;
        QSignalSpy frames(&app->camera().camera(), &camera::TVideoCameraDS::frameReady);
        cameras[index]->trigger();
        return shell().state().flags().VideoConnected && frames.wait(5000);
    }

    // A new scale `name` calibrated on the stage micrometer, divisions 0 to 100 (1.00 mm), through
    // the scale dialog and its calibration window, stored with OK. The picture size the
    // calibration measured in.
    QSize calibrateNewScale(const QString &name)
    {
        ScaleController &scales = app->scales();
        scales::ui::TSetRulerDlg &dialog = scales.dialog();
        QSize measuredAt;
        whenModal([&] {
            whenModal([&] {
                auto *names = qobject_cast<scales::ui::TNewScaleNameDlg *>(QApplication::activeModalWidget());
                ASSERT_TRUE(names);
                names->InputNameEdit()->setText(name);
                names->okButton()->click();
            });
            dialog.button("NewBtn")->click();
            whenModal([&] {
                scales::ui::TCalibrateWindow *cal = scales.calibrationWindow();
                ASSERT_TRUE(cal);
                if (QTest::qWaitFor([&] { return cal->connected() && cal->video()->hasFrame(); }, 5000)) {
                    camera::ui::VideoWidget *view = cal->video();
                    const QSize picture = view->shownFrame().size();
                    const int y = int(picture.height() * 0.6) * view->height() / picture.height();
                    const QPoint a(widgetX(divisionX(picture.width(), 0), picture.width(), view->width()), y);
                    const QPoint b(widgetX(divisionX(picture.width(), 100), picture.width(), view->width()), y);
                    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, a);
                    QTest::mouseMove(view, b);
                    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, b);
                    measuredAt = cal->scale().calibratedSize;
                }
                cal->Btn_QuitDlg()->click();
            });
            dialog.button("SemiAutomaticBtn")->click();
            dialog.button("OKBtn")->click();
        });
        shell().controls().button(C::DrawRulerTB_SetScale)->click();
        return measuredAt;
    }

    // Opens the scale dialog and runs `inside` in it; Cancel unless `inside` closed it.
    void inScaleDialog(const std::function<void(scales::ui::TSetRulerDlg &)> &inside)
    {
        scales::ui::TSetRulerDlg &dialog = app->scales().dialog();
        whenModal([&] {
            inside(dialog);
            if (dialog.isVisible())
                dialog.button("CancelBtn")->click();
        });
        shell().controls().button(C::DrawRulerTB_SetScale)->click();
    }

    // A line in draw mode from division `from` to division `to`; the value of its label in mm.
    double measure(int from, int to)
    {
        Shell &w = shell();
        if (w.state().flags().LiveMode != state::kLiveDraw)
            w.controls().button(C::ChangeModeTB_Draw)->click();
        w.controls().action(C::ST_Line)->trigger();
        camera::ui::VideoWidget *video = app->camera().videoWidget();
        const QSize picture = app->camera().camera().videoSize();
        const int y = int(picture.height() * 0.6) * video->height() / picture.height();
        const QPoint a(widgetX(divisionX(picture.width(), from), picture.width(), video->width()), y);
        const QPoint b(widgetX(divisionX(picture.width(), to), picture.width(), video->width()), y);
        labels.clear();
        QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, a);
        QTest::mouseMove(video, b);
        QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, b);
        // The last label drawn: "[nn]L=<value>mm".
        const QRegularExpression value(QStringLiteral("=\\s*([0-9]+\\.[0-9]+)\\s*mm"));
        for (auto it = labels.crbegin(); it != labels.crend(); ++it)
            if (const QRegularExpressionMatch m = value.match(*it); m.hasMatch())
                return m.captured(1).toDouble();
        ADD_FAILURE() << "no length label among: " << labels.join(" | ").toStdString();
        return -1;
    }
};

} // namespace

TEST(ProgramScales, CalibrateOnTheStageMicrometerThenMeasureAndKeepTheScaleAcrossARestart)
{
    fakes::TemporaryProfile profile;
    qputenv("SENDRA_CAM_VIRTUAL_CAMERA", "1");
    const QString scaleName = QStringLiteral("Micrometer 1 mm");
    {
        ProgramRun run;
        ASSERT_TRUE(run.connect());
        Shell &w = run.shell();
        ScaleController &scales = run.app->scales();
        scales::ui::TSetRulerDlg &dialog = scales.dialog();
        // The built-in scale measures nothing real on this camera.
        EXPECT_GT(std::abs(run.measure(0, 100) - 1.0), 0.5);

        w.UpdateActions();
        QAbstractButton *setScale = w.controls().button(C::DrawRulerTB_SetScale);
        ASSERT_TRUE(setScale->isEnabled());

        bool calibrationSeen = false, mainDisconnected = false;
        QString distance;
        int hSpin = -1, vSpin = -1;
        whenModal([&] {
            ASSERT_TRUE(dialog.isVisible());
            // New scale: the name dialog answers with the name typed.
            whenModal([&] {
                auto *names = qobject_cast<scales::ui::TNewScaleNameDlg *>(QApplication::activeModalWidget());
                ASSERT_TRUE(names);
                EXPECT_EQ(names->name(), "New");
                names->InputNameEdit()->setText(scaleName);
                names->okButton()->click();
            });
            dialog.button("NewBtn")->click();
            EXPECT_EQ(dialog.ScaleFile_CB()->currentText(), scaleName);

            // Calibration: a line from division 0 to division 100 (1.00 mm).
            whenModal([&] {
                scales::ui::TCalibrateWindow *cal = scales.calibrationWindow();
                ASSERT_TRUE(cal);
                mainDisconnected = !w.state().flags().VideoConnected;
                ASSERT_TRUE(QTest::qWaitFor([&] { return cal->connected() && cal->video()->hasFrame(); }, 5000));
                calibrationSeen = true;
                camera::ui::VideoWidget *view = cal->video();
                const QSize picture = view->shownFrame().size();
                const int y = int(picture.height() * 0.6) * view->height() / picture.height();
                const QPoint a(widgetX(divisionX(picture.width(), 0), picture.width(), view->width()), y);
                const QPoint b(widgetX(divisionX(picture.width(), 100), picture.width(), view->width()), y);
                EXPECT_EQ(cal->ST_Length()->text(), "1.00 mm");
                EXPECT_EQ(cal->CSpinEdit_RealLength()->text(), "1.00") << "the known length as a length";
                QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, a);
                QTest::mouseMove(view, b + QPoint(0, 7));
                QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, b);
                distance = cal->ST_Distance()->text();
                hSpin = cal->scale().spinValues[0].horizontal;
                vSpin = cal->scale().spinValues[0].vertical;

                // A new real length recomputes the scale at once: 0.50 mm over the same line.
                cal->CSpinEdit_RealLength()->setValue(50);
                EXPECT_EQ(cal->ST_Length()->text(), "0.50 mm");
                EXPECT_EQ(cal->scale().spinValues[0].horizontal, 64);
                cal->CSpinEdit_RealLength()->setValue(100);
                EXPECT_EQ(cal->scale().spinValues[0].horizontal, 128);

                // "Horizontal Fixed": the end moved 40 px down still makes a horizontal line.
                cal->RG_FixedAxis()->findChild<QAbstractButton *>("RG_FixedAxis1")->click();
                QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, a);
                QTest::mouseMove(view, b + QPoint(0, 40));
                QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, b + QPoint(0, 40));
                EXPECT_EQ(cal->ST_Distance()->text(), distance);
                EXPECT_EQ(cal->surface().session().shape().b.y, cal->surface().session().shape().a.y);
                EXPECT_EQ(cal->scale().spinValues[0].horizontal, 128);

                // A right click freezes the picture and a second one lets it run again.
                QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
                EXPECT_TRUE(cal->frozen());
                QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
                EXPECT_FALSE(cal->frozen());

                // "Show Ruler" draws the scale bar into the view's layer and takes it away again.
                auto inked = [&] {
                    const QImage &layer = cal->surface().session().layer().image();
                    int n = 0;
                    for (int y = 0; y < layer.height(); ++y)
                        for (int x = 0; x < layer.width(); ++x)
                            n += (layer.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu;
                    return n;
                };
                ASSERT_FALSE(cal->CB_DisplayRuler()->isChecked());
                const int lineOnly = inked();
                cal->CB_DisplayRuler()->click();
                EXPECT_GT(inked(), lineOnly + 200) << "the bar's graduations and labels";
                cal->CB_DisplayRuler()->click();
                EXPECT_EQ(inked(), lineOnly);
                cal->Btn_QuitDlg()->click();
            });
            dialog.button("SemiAutomaticBtn")->click();
            // The dialog shows what the calibration computed; OK stores it.
            EXPECT_EQ(dialog.hCSpinEdit()->value(), hSpin);
            EXPECT_TRUE(dialog.button("SaveBtn")->isEnabled());
            dialog.button("OKBtn")->click();
        });
        setScale->click();
        ASSERT_TRUE(calibrationSeen);
        EXPECT_TRUE(mainDisconnected);
        EXPECT_TRUE(w.state().flags().VideoConnected);   // reconnected after calibrating
        // 100 divisions are 500 pixels of the 640-pixel view: 1.28 mm x 0.96 mm.
        EXPECT_EQ(distance, "500.00");
        EXPECT_EQ(hSpin, 128);
        EXPECT_EQ(vSpin, 96);
        EXPECT_EQ(scales.current().name, scaleName);
        EXPECT_EQ(run.app->measure().surface().session().scale().spinValues[0].horizontal, 128);

        EXPECT_NEAR(run.measure(0, 100), 1.00, 0.01);
        EXPECT_NEAR(run.measure(0, 50), 0.50, 0.01);
        w.window().close();
    }
    {
        // After a restart the scale chosen last is current again, before the camera connects and
        // after: the same line reads the same, without a visit to the scale dialog.
        ProgramRun run;
        EXPECT_EQ(run.app->scales().current().name, scaleName);
        ASSERT_TRUE(run.connect());
        EXPECT_EQ(run.app->scales().current().name, scaleName);
        EXPECT_EQ(run.app->scales().dialog().ScaleFile_CB()->currentText(), scaleName);
        EXPECT_NEAR(run.measure(0, 100), 1.00, 0.01);
        EXPECT_NEAR(run.measure(0, 50), 0.50, 0.01);
        run.shell().window().close();
    }
    {
        // The scale gone from the list (deleted by another copy of the program): the first one.
        scales::ScaleStore store(state::UserPaths::fromProfileDir(profile.path()).scaleStoreFile(), QString());
        ASSERT_TRUE(store.load());
        store.remove(2);
        ASSERT_FALSE(store.write());
        ProgramRun run;
        ASSERT_TRUE(run.connect());
        EXPECT_EQ(run.app->scales().current().name, store.names()[0]);
        run.shell().window().close();
    }
    qunsetenv("SENDRA_CAM_VIRTUAL_CAMERA");
}

TEST(ProgramScales, ModelRecognitionReloadsTheStoreAndPublishesTheScale)
{
    fakes::TemporaryProfile profile;
    ProgramRun run;
    ScaleController &scales = run.app->scales();
    ASSERT_EQ(scales.dialog().ScaleFile_CB()->count(), 2);
    // The store changed on disk (another copy of the program): the reload reads it again.
    scales::ScaleStore store(run.shell().paths().scaleStoreFile(), QString());
    ASSERT_TRUE(store.load());
    scales::RulerScaleControl s = store.scaleAt(0);
    s.name = QStringLiteral("second camera");
    store.append(s);
    // The selected first entry changed as well: the published scale follows it.
    s.name = store.names()[0];
    scales::setLengthsFromSpin(s, scales::ScaleUnit::Millimetre, 5000, 3750);
    store.setScaleAt(0, s);
    ASSERT_FALSE(store.write());
    QSignalSpy published(&scales, &ScaleController::scaleChanged);
    run.app->scales().reloadRulerScales();
    EXPECT_EQ(scales.dialog().ScaleFile_CB()->count(), 3);
    ASSERT_EQ(published.count(), 1);
    EXPECT_EQ(scales.current().spinValues[0].horizontal, 5000);
    EXPECT_EQ(run.app->measure().surface().session().scale().spinValues[0].horizontal, 5000);
    // Not while a calibration runs: its window holds the camera.
    EXPECT_FALSE(run.app->scales().calibrationRunning());
    run.shell().window().close();
}

TEST(ProgramScales, AScaleListThatCannotBeWrittenIsReportedWithItsFileAndTheReason)
{
    fakes::TemporaryProfile profile;
    ProgramRun run;
    const QString store = run.shell().paths().scaleStoreFile();
    ASSERT_TRUE(QFile::exists(store));
    // From now on the store cannot be replaced: a folder (not empty) stands where the file was.
    ASSERT_TRUE(QFile::remove(store));
    ASSERT_TRUE(QDir().mkpath(store));
    QFile inside(store + "/keep");
    ASSERT_TRUE(inside.open(QIODevice::WriteOnly));
    inside.close();

    scales::ui::TSetRulerDlg &dialog = run.app->scales().dialog();
    const qsizetype before = run.presenter.texts.size();
    dialog.hCSpinEdit()->setValue(5000);
    dialog.button("SaveBtn")->click();
    ASSERT_EQ(run.presenter.texts.size(), before + 1);
    EXPECT_EQ(run.presenter.texts.last(),
              u'"' + store + QStringLiteral("\" (Is a directory)")
                  + run.shell().texts().text(QStringLiteral("ScaleStoreNotWritten_MsgBox")));
    EXPECT_EQ(run.shell().texts().text(QStringLiteral("ScaleStoreNotWritten_MsgBox")),
              ": the scale list could not be saved there. The previous list is kept.");
    run.shell().window().close();
}

TEST(ProgramScales, ACalibrationAt1600x1200StillMeasuresAt800x600AndItsNameSaysSo)
{
    fakes::TemporaryProfile profile;
    qputenv("SENDRA_CAM_VIRTUAL_CAMERA", "1");
    {
        ProgramRun run;
        ASSERT_TRUE(run.connect());
        ASSERT_TRUE(run.setFormat(platform::kFourccMjpg, 1600, 1200));
        // The calibration window measures the picture the main camera streams.
        EXPECT_EQ(run.calibrateNewScale("Micro1mm"), QSize(1600, 1200));
        ScaleController &scales = run.app->scales();
        EXPECT_EQ(scales.current().name, "Micro1mm");
        EXPECT_NEAR(run.measure(0, 100), 1.00, 0.01);

        ASSERT_TRUE(run.setFormat(platform::kFourccYuyv, 800, 600));
        EXPECT_EQ(scales.current().name, "Micro1mm @1600x1200, used at 800x600");
        EXPECT_EQ(run.app->measure().surface().session().scale().name, "Micro1mm @1600x1200, used at 800x600");
        EXPECT_NEAR(run.measure(0, 100), 1.00, 0.01);
        EXPECT_NEAR(run.measure(0, 50), 0.50, 0.01);

        // Another shape of picture: the field keeps its width, a pixel stays square.
        ASSERT_TRUE(run.setFormat(platform::kFourccMjpg, 1600, 900));
        EXPECT_EQ(scales.current().name, "Micro1mm @1600x1200, used at 1600x900");
        EXPECT_NEAR(scales.current().hLength, 1.28, 0.005);
        EXPECT_NEAR(scales.current().vLength, 0.72, 0.005);
        EXPECT_NEAR(run.measure(0, 100), 1.00, 0.01);
        // The stored scale is the calibrated one.
        EXPECT_EQ(scales.library().current().name, "Micro1mm");
        EXPECT_NEAR(scales.library().current().vLength, 0.96, 0.005);
        run.shell().window().close();
    }
    {
        // The next start: the camera's format, its scale, and the scale at that size.
        ProgramRun run;
        ASSERT_TRUE(run.connect());
        EXPECT_EQ(run.app->camera().camera().videoSize(), QSize(1600, 900));
        EXPECT_EQ(run.app->scales().current().name, "Micro1mm @1600x1200, used at 1600x900");
        EXPECT_NEAR(run.measure(0, 100), 1.00, 0.01);
        run.shell().window().close();
    }
    qunsetenv("SENDRA_CAM_VIRTUAL_CAMERA");
}

TEST(ProgramScales, AScaleCalibratedWithAnotherCameraIsOfferedWithAWarning)
{
    qputenv("SENDRA_CAM_VIRTUAL_CAMERA", "two");
    for (const int answer : {kResultCancel, kResultOk}) {
        fakes::TemporaryProfile profile;
        ProgramRun run;
        ASSERT_TRUE(run.connect());
        ScaleController &scales = run.app->scales();
        const QString firstCamera = run.app->cameraMemory().memory().currentCamera();
        ASSERT_FALSE(run.calibrateNewScale("Micro1mm").isEmpty());
        ASSERT_EQ(scales.current().name, "Micro1mm");
        const QString builtIn = scales.library().names()[0];
        const QString question =
            "\"Micro1mm\" (" + firstCamera + ") " + run.shell().texts().text("ScaleOfOtherCamera_MsgBox");
        const QString expected = answer == kResultOk ? QStringLiteral("Micro1mm") : builtIn;

        // The other camera: the first camera's scale is offered once it runs; after Cancel the
        // first scale measures, not the other camera's.
        const int other = 1 - run.cameraInUse();
        ASSERT_TRUE(other == 0 || other == 1);
        run.presenter.answers = {answer};
        ASSERT_TRUE(run.chooseCamera(other));
        ASSERT_NE(run.app->cameraMemory().memory().currentCamera(), firstCamera);
        EXPECT_TRUE(QTest::qWaitFor([&] { return run.presenter.texts.contains(question); }, 5000))
            << run.presenter.texts.join(" | ").toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return scales.current().name == expected; }, 5000)) << scales.current().name.toStdString();

        // Back on its own camera the scale is taken without a word, and the answer given for the
        // other camera is that camera's own choice from then on.
        const qsizetype asked = run.presenter.texts.size();
        ASSERT_TRUE(run.chooseCamera(1 - other));
        EXPECT_TRUE(QTest::qWaitFor([&] { return scales.current().name == "Micro1mm"; }, 5000)) << scales.current().name.toStdString();
        ASSERT_TRUE(run.chooseCamera(other));
        EXPECT_TRUE(QTest::qWaitFor([&] { return scales.current().name == expected; }, 5000)) << scales.current().name.toStdString();
        EXPECT_EQ(run.presenter.texts.size(), asked);
        run.shell().window().close();
    }
    qunsetenv("SENDRA_CAM_VIRTUAL_CAMERA");
}

TEST(ProgramScales, WithAMonitorDescriptionTheMagnificationIsKnownAtStartAndNothingIsAsked)
{
    fakes::TemporaryProfile profile;
    qputenv("SENDRA_CAM_VIRTUAL_CAMERA", "1");
    const QString ask = QStringLiteral("KeyInHorizontalValue_MsgBox");
    {
        ProgramRun run(47.6f);
        const QString asked = run.shell().texts().text(ask);
        // No bars: the magnification figure is drawn instead.
        run.inScaleDialog([](scales::ui::TSetRulerDlg &dialog) {
            dialog.radioGroup("HorizontalPos_RG")->findChild<QAbstractButton *>("HorizontalPos_RG0")->click();
            dialog.radioGroup("VerticalPos_RG")->findChild<QAbstractButton *>("VerticalPos_RG0")->click();
            EXPECT_EQ(dialog.amdh_Label()->text(), "47.60 cm");
            EXPECT_TRUE(dialog.AutoDetect_RB()->isChecked());
            dialog.button("OKBtn")->click();
        });
        EXPECT_FALSE(run.presenter.texts.contains(asked));
        scales::ScaleStore store(run.shell().paths().scaleStoreFile(), QString());
        ASSERT_TRUE(store.load());
        EXPECT_EQ(store.lines()[10], "0") << "saved in auto-detect mode";
        run.shell().window().close();
    }
    {
        ProgramRun run(47.6f);
        ASSERT_TRUE(run.connect());
        run.measure(0, 100);
        // The figure drawn over the picture, as the magnification menu item shows it.
        const QString shown = run.shell().controls().action(C::mmMagniShow)->text();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9]+\\.[0-9]X$")).match(shown).hasMatch()) << shown.toStdString();
        EXPECT_NE(shown, "0.0X");
        EXPECT_EQ(run.app->measure().surface().scaleBar().magnificationCaption(), shown);
        EXPECT_FALSE(run.presenter.texts.contains(run.shell().texts().text(ask)));
        run.shell().window().close();
    }
    qunsetenv("SENDRA_CAM_VIRTUAL_CAMERA");
}

TEST(ProgramScales, WithoutAMonitorDescriptionTheWidthIsAskedOnceAndANewScaleKeepsIt)
{
    fakes::TemporaryProfile profile;
    ProgramRun run;   // as under Xvfb: no monitor description
    const QString asked = run.shell().texts().text(QStringLiteral("KeyInHorizontalValue_MsgBox"));
    for (int i = 0; i < 3; ++i)
        run.inScaleDialog([&](scales::ui::TSetRulerDlg &dialog) {
            // The first opening asks once the dialog is on the screen; the later ones, once on the
            // screen too, ask nothing.
            if (i == 0) {
                EXPECT_TRUE(QTest::qWaitFor([&] { return run.presenter.texts.count(asked) == 1; }, 5000));
                return;
            }
            EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.windowHandle() && dialog.windowHandle()->isExposed(); }, 5000));
            QCoreApplication::processEvents();
        });
    EXPECT_EQ(run.presenter.texts.count(asked), 1);

    run.inScaleDialog([](scales::ui::TSetRulerDlg &dialog) {
        dialog.mdh_CSE()->setValue(4060);   // 40.60 cm
        dialog.button("SaveBtn")->click();
        whenModal([] {
            auto *names = qobject_cast<scales::ui::TNewScaleNameDlg *>(QApplication::activeModalWidget());
            ASSERT_TRUE(names);
            names->InputNameEdit()->setText("10x");
            names->okButton()->click();
        });
        dialog.button("NewBtn")->click();
        EXPECT_EQ(dialog.ScaleFile_CB()->currentText(), "10x");
        EXPECT_EQ(dialog.mmdh_Label()->text(), "40.60 cm") << "a new scale keeps the monitor";
        dialog.button("OKBtn")->click();
    });
    EXPECT_EQ(run.presenter.texts.count(asked), 1);
    run.shell().window().close();
}
