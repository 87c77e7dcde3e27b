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

#include <gtest/gtest.h>

#include <cmath>

using namespace app::ui;
using measure::ui::MeasureController;
using measure::ui::ResultsController;
using scales::ui::ScaleController;
using C = state::ControlId;

namespace {

struct Answers final : MessagePresenter {
    QStringList texts;
    int show(const QString &text, const QString &, bool, int) override
    {
        texts << text;
        return kResultOk;
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

    ProgramRun()
    {
        system = std::make_unique<::app::SystemServices>(QStringLiteral(SENDRA_PROGRAM_DIR), log);
        app = std::make_unique<SendraApplication>(QStringLiteral(SENDRA_PROGRAM_DIR), log, clock, system->services(), &presenter);
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
        // After a restart the scale is in the list; chosen there, it measures the same.
        ProgramRun run;
        ASSERT_TRUE(run.connect());
        scales::ui::TSetRulerDlg &dialog = run.app->scales().dialog();
        ASSERT_EQ(dialog.ScaleFile_CB()->count(), 3);
        whenModal([&] {
            dialog.ScaleFile_CB()->setCurrentIndex(2);
            dialog.button("OKBtn")->click();
        });
        run.shell().controls().button(C::DrawRulerTB_SetScale)->click();
        EXPECT_EQ(run.app->scales().current().name, scaleName);
        EXPECT_NEAR(run.measure(0, 100), 1.00, 0.01);
        EXPECT_NEAR(run.measure(0, 50), 0.50, 0.01);
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
