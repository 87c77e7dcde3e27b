// Burn-in through the real window on the virtual camera: save and copy with the scale bar, the
// scale's name prefix, and the display options dialog.
#include "camera/ui/cameracontroller.h"
#include "feature/ui/controls.h"
#include "app/ui/mainwindow.h"
#include "measure/ui/measurecontroller.h"
#include "app/ui/messagepresenter.h"
#include "app/ui/sendraapplication.h"
#include "app/ui/shell.h"
#include "imaging/ui/stillimagecontroller.h"

#include "fakes.h"
#include "wholeprogram.h"

#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "imaging/stilldocument.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "measure/ui/measuringsurface.h"
#include "measure/ui/showmeasureinfodialog.h"
#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace app::ui;
using measure::ui::MeasureController;
using measure::ui::ResultsController;
using scales::ui::ScaleController;
using C = state::ControlId;

namespace {

constexpr platform::ColorRef kRed = 0x0000FF;

struct Program : wholeprogram::Program {
    void drawMode()
    {
        shell().controls().button(C::ChangeModeTB_Draw)->click();
        shell().UpdateActions();
    }
    // A 1.00 mm x 0.75 mm scale with bars along the top and the left edge, in red.
    void setSmallScale()
    {
        scales::RulerScaleControl s = app->measure().surface().session().scale();
        scales::setLengthsFromMillimetreSpin(s, 100, 75);
        s.horizontalPosition = 1;
        s.verticalPosition = 1;
        s.horizontalOrigin = 0;
        s.verticalOrigin = 0;
        s.colour = kRed;
        app->measure().surface().session().setScale(s);
    }
    void clickTool(C id)
    {
        shell().UpdateActions();
        QToolButton *b = shell().controls().toolButton(id);
        ASSERT_TRUE(b->isVisible() && b->isEnabled()) << int(id);
        b->click();
    }
};

} // namespace

TEST(BurnIn, SaveWithScaleNamesTheFileAfterTheScaleAndBurnsTheBarIn)
{
    Program p;
    ASSERT_TRUE(p.connect());
    Shell &w = p.shell();
    p.drawMode();
    w.controls().action(C::AutoSave)->setChecked(true);
    p.app->still().browser().showKind(state::kListBmp);
    // Three plain captures take the numbers 1 to 3.
    for (int i = 0; i < 3; ++i)
        w.controls().mainButton(C::CaptureImage_Btn)->click();
    const QString bmpFolder = w.state().curListPath()[state::kListBmp];
    ASSERT_TRUE(QFileInfo::exists(bmpFolder + "/Bmp_20141111_00003.bmp"));

    p.setSmallScale();
    // The bar is on the layer over the live picture.
    EXPECT_EQ(p.app->measure().surface().layer().pixel(200, 0), kRed);
    w.controls().action(C::ST_Line)->trigger();
    camera::ui::VideoWidget *video = p.app->camera().videoWidget();
    QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(100, 200));
    QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));

    p.clickTool(C::DrawRulerTB_SaveImage);
    const QString path = bmpFolder + "/Bmp_h100v75mm_20141111_00004.bmp";
    ASSERT_TRUE(QFileInfo::exists(path)) << QDir(bmpFolder).entryList().join(" ").toStdString();
    const platform::DecodedPicture saved = platform::readPictureFile(path);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.bitmap.size(), QSize(640, 480));
    // Top and left base lines and the left column's first graduation, burnt into the frame.
    EXPECT_EQ(saved.bitmap.pixel(200, 0), kRed);
    EXPECT_EQ(saved.bitmap.pixel(0, 200), kRed);
    EXPECT_EQ(saved.bitmap.pixel(320, 19), kRed);   // the half-millimetre graduation
    // The saved picture is the still image now.
    EXPECT_EQ(p.app->still().document().picture().size(), QSize(640, 480));
    EXPECT_EQ(p.app->still().document().filePath(), path);

    // Over a locked frame the burn-in draws on the frozen picture.
    w.controls().button(C::DrawRulerTB_LockFrame)->click();
    ASSERT_TRUE(p.app->camera().camera().isFrozen());
    p.clickTool(C::DrawRulerTB_SaveImage);
    EXPECT_TRUE(QFileInfo::exists(bmpFolder + "/Bmp_h100v75mm_20141111_00005.bmp"));
    // One save per click: a second click with no layer refresh in between writes nothing.
    p.clickTool(C::DrawRulerTB_SaveImage);
    QCoreApplication::processEvents();
    p.clickTool(C::DrawRulerTB_SaveImage);
    EXPECT_FALSE(QFileInfo::exists(bmpFolder + "/Bmp_h100v75mm_20141111_00006.bmp"));
    EXPECT_EQ(QDir(bmpFolder).entryList({"Bmp_h100v75mm_*"}, QDir::Files).size(), 2);
    // A copy writes no file: it is not held back.
    EXPECT_FALSE(p.app->measure().SaveDrawImage(true).isNull());
    // A refreshed layer (here a new line) makes the next click save again.
    QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(100, 300));
    QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
    p.clickTool(C::DrawRulerTB_SaveImage);
    EXPECT_TRUE(QFileInfo::exists(bmpFolder + "/Bmp_h100v75mm_20141111_00006.bmp"));
}

TEST(BurnIn, CopyWithScalePutsTheBurntPictureOnTheClipboardAndShowsIt)
{
    Program p;
    ASSERT_TRUE(p.connect());
    p.drawMode();
    p.setSmallScale();
    QGuiApplication::clipboard()->clear();
    p.clickTool(C::DrawRulerTB_CopyImage);
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_FALSE(copied.isNull());
    EXPECT_EQ(copied.size(), QSize(640, 480));
    EXPECT_EQ(platform::fromQRgb(copied.pixel(200, 0)), kRed);
    imaging::StillDocument &still = p.app->still().document();
    EXPECT_EQ(platform::fromQRgb(still.picture().image().pixel(200, 0)), kRed);
    EXPECT_TRUE(still.hasUnsavedEdits());   // a copy is nobody's file yet

    // A second copy asks first about the unsaved one (answered OK: it is saved, here without a
    // dialog).
    p.shell().controls().action(C::AutoSave)->setChecked(true);
    const QString jpgFolder = p.shell().state().curListPath()[state::kListJpg];
    const int before = int(QDir(jpgFolder).entryList(QDir::Files).size());
    p.clickTool(C::DrawRulerTB_CopyImage);
    EXPECT_TRUE(p.presenter.texts.contains(p.shell().texts().text("WhetherSaveImage_MsgBox")))
        << p.presenter.texts.join(" | ").toStdString();
    // The unsaved copy, then (auto save being on) the new copy went to files.
    EXPECT_EQ(int(QDir(jpgFolder).entryList(QDir::Files).size()), before + 2);
}

TEST(BurnIn, WithoutAPictureNothingIsSavedOrCopied)
{
    Program p;
    QGuiApplication::clipboard()->clear();
    EXPECT_TRUE(p.app->measure().SaveDrawImage(true).isNull());
    EXPECT_TRUE(p.app->measure().SaveDrawImage(false).isNull());
    EXPECT_TRUE(QGuiApplication::clipboard()->image().isNull());
    const QString bmpFolder = p.shell().state().curListPath()[state::kListBmp];
    EXPECT_TRUE(QDir(bmpFolder).entryList(QDir::Files).isEmpty());
}

TEST(BurnIn, DisplayOptionsOkChangesTheNextLabelsAndCancelNothing)
{
    Program p;
    ASSERT_TRUE(p.connect());
    p.drawMode();
    MeasureController &m = p.app->measure();
    p.dialogs.other = [](QDialog &dialog) {
        auto &d = dynamic_cast<measure::ui::TShowMeasureInfoDlg &>(dialog);
        EXPECT_EQ(d.windowTitle(), "Measurement Display Options");
        d.precisionSpin()->setValue(1);
        d.okButton()->click();
        return d.result();
    };
    p.clickTool(C::DrawRulerTB_SetShowInfo);
    EXPECT_EQ(m.surface().session().labels().precision, 1);
    EXPECT_EQ(m.surface().session().savedLabels().precision, 1);

    p.dialogs.other = [](QDialog &dialog) {
        auto &d = dynamic_cast<measure::ui::TShowMeasureInfoDlg &>(dialog);
        EXPECT_EQ(d.precisionSpin()->value(), 1);
        d.precisionSpin()->setValue(6);
        d.cancelButton()->click();
        return d.result();
    };
    p.clickTool(C::DrawRulerTB_SetShowInfo);
    EXPECT_EQ(m.surface().session().labels().precision, 1);
}

// OK relabels the shapes on the picture, and the choices are there again after a restart.
TEST(BurnIn, DisplayOptionsRelabelTheShapesDrawnAndSurviveARestart)
{
    Program p;
    ASSERT_TRUE(p.connect());
    p.drawMode();
    p.clickTool(C::DrawRulerTB_Overlap);
    p.shell().controls().action(C::ST_Line)->trigger();
    camera::ui::VideoWidget *video = p.app->camera().videoWidget();
    QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(100, 200));
    QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
    const platform::Bitmap before = p.app->measure().surface().layer();
    p.dialogs.other = [](QDialog &dialog) {
        auto &d = dynamic_cast<measure::ui::TShowMeasureInfoDlg &>(dialog);
        d.precisionSpin()->setValue(7);
        d.group(measure::ui::TShowMeasureInfoDlg::Circle)->button(4)->click();
        d.okButton()->click();
        return d.result();
    };
    p.clickTool(C::DrawRulerTB_SetShowInfo);
    const measure::MeasuringSession &session = p.app->measure().surface().session();
    ASSERT_GE(session.history().currentIndex(), 1);
    EXPECT_EQ(session.history().node(std::size_t(session.history().currentIndex())).labels.precision, 7);
    EXPECT_EQ(session.history().node(std::size_t(session.history().currentIndex())).labels.counter, 1);
    EXPECT_NE(p.app->measure().surface().layer(), before);   // the line's label was written anew

    p.shell().window().close();
    p.app.reset();
    p.app = std::make_unique<SendraApplication>(QStringLiteral(SENDRA_PROGRAM_DIR), p.log, p.clock,
                                                p.system->services(), &p.presenter, &p.dialogs);
    const measure::LabelSettings kept = p.app->measure().surface().session().labels();
    EXPECT_EQ(kept.precision, 7);
    EXPECT_EQ(kept.circleItem, 4);
    EXPECT_EQ(kept.counter, 0);
    p.dialogs.other = [](QDialog &dialog) {
        auto &d = dynamic_cast<measure::ui::TShowMeasureInfoDlg &>(dialog);
        EXPECT_EQ(d.precisionSpin()->value(), 7);
        EXPECT_TRUE(d.group(measure::ui::TShowMeasureInfoDlg::Circle)->button(4)->isChecked());
        d.cancelButton()->click();
        return d.result();
    };
    p.app->window().show();
    ASSERT_TRUE(p.connect());
    p.drawMode();
    p.clickTool(C::DrawRulerTB_SetShowInfo);
}
