// The results table and "Export for analysis" through the real window on the virtual camera.
#include "camera/ui/cameracontroller.h"
#include "feature/ui/controls.h"
#include "app/ui/mainwindow.h"
#include "measure/ui/measurecontroller.h"
#include "measure/ui/resultscontroller.h"
#include "app/ui/sendraapplication.h"
#include "app/ui/shell.h"

#include "fakes.h"
#include "wholeprogram.h"

#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "measure/measuringsession.h"
#include "measure/ui/measuringsurface.h"
#include "measure/ui/resultstabledialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>
#include <tiffio.h>

using namespace app::ui;
using measure::ui::MeasureController;
using measure::ui::ResultsController;
using scales::ui::ScaleController;
using C = state::ControlId;

namespace {

struct Program : wholeprogram::Program {
    void drawMode()
    {
        shell().controls().button(C::ChangeModeTB_Draw)->click();
        shell().UpdateActions();
    }
    void setScaleMm(int hSpin, int vSpin)
    {
        scales::RulerScaleControl s = app->measure().surface().session().scale();
        scales::setLengthsFromMillimetreSpin(s, hSpin, vSpin);
        app->measure().surface().setScale(s);
    }
    void clickTool(C id)
    {
        shell().UpdateActions();
        QToolButton *b = shell().controls().toolButton(id);
        ASSERT_TRUE(b->isVisible() && b->isEnabled()) << int(id);
        b->click();
    }
    void clickVideo(std::initializer_list<QPoint> points)
    {
        camera::ui::VideoWidget *video = app->camera().videoWidget();
        for (QPoint p : points)
            QTest::mouseClick(video, Qt::LeftButton, Qt::NoModifier, p);
    }
    QTableWidget *table() { return app->results().dialog().table(); }
    QString cell(int row, int column) { return table()->item(row, column) ? table()->item(row, column)->text() : QString(); }
};

// Column of the length values: number, tool, label, then the quantities from length on.
constexpr int kLengthColumn = 3;

} // namespace

TEST(ResultsWindow, FollowsDrawingUndoRedoClearAndTheScaleAndCopiesTabSeparatedRows)
{
    Program p;
    ASSERT_TRUE(p.connect());
    // "By Resolution": the video area is the frame's own size, so window pixels are picture pixels.
    p.shell().controls().action(C::NBy_Resolution)->trigger();
    p.shell().UpdateActions();
    QCoreApplication::processEvents();
    p.drawMode();
    const measure::MeasuringSession &session = p.app->measure().surface().session();
    ASSERT_EQ(session.windowSize(), session.pictureSize());
    p.setScaleMm(6400, 4800);   // 64.00 mm over the 640 px frame: 0.1 mm per pixel
    p.clickTool(C::DrawRulerTB_Overlap);
    p.clickTool(C::DrawRulerTB_Results);
    ASSERT_TRUE(p.app->results().dialog().isVisible());
    EXPECT_EQ(p.table()->rowCount(), 0);

    p.shell().controls().action(C::ST_Line)->trigger();
    p.clickVideo({{100, 200}, {300, 200}});
    ASSERT_EQ(p.table()->rowCount(), 1);
    EXPECT_EQ(p.cell(0, 0), "1");
    EXPECT_EQ(p.cell(0, 1), p.shell().texts().text("ST_Line->Caption"));
    EXPECT_EQ(p.cell(0, kLengthColumn), "20.000");
    EXPECT_EQ(p.cell(0, p.table()->columnCount() - 2), "100.0 200.0; 300.0 200.0");
    EXPECT_EQ(p.cell(0, p.table()->columnCount() - 1), "");   // no fit residual for a line
    EXPECT_TRUE(p.table()->horizontalHeaderItem(kLengthColumn)->text().endsWith("(mm)"));

    p.shell().controls().action(C::ST_Rectangle)->trigger();
    p.clickVideo({{400, 100}, {500, 150}});
    ASSERT_EQ(p.table()->rowCount(), 2);
    EXPECT_EQ(p.cell(1, 0), "2");
    EXPECT_EQ(p.cell(1, kLengthColumn + 1), "30.000");   // perimeter (10 + 5) * 2 mm

    p.clickTool(C::DrawRulerTB_Undo);
    EXPECT_EQ(p.table()->rowCount(), 1);
    p.clickTool(C::DrawRulerTB_Redo);
    EXPECT_EQ(p.table()->rowCount(), 2);

    p.setScaleMm(3200, 2400);
    EXPECT_EQ(p.cell(0, kLengthColumn), "10.000");

    QGuiApplication::clipboard()->clear();
    p.app->results().dialog().copyButton()->click();
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("No.\tTool\tLabel\tLength (mm)"));
    EXPECT_TRUE(lines[1].startsWith("1\tLine\tL\t10.000\t")) << lines[1].toStdString();

    p.clickTool(C::DrawRulerTB_ClearFrame);
    EXPECT_EQ(p.table()->rowCount(), 0);
}

TEST(ResultsWindow, ExportWritesTheCsvAndAFailedWriteIsReported)
{
    Program p;
    ASSERT_TRUE(p.connect());
    p.drawMode();
    p.shell().controls().action(C::ResultsTable_Tool)->trigger();
    p.clickTool(C::DrawRulerTB_Overlap);
    p.shell().controls().action(C::ST_Line)->trigger();
    p.clickVideo({{100, 200}, {300, 200}});
    p.shell().controls().action(C::ST_2PointsCircle)->trigger();
    p.clickVideo({{100, 300}, {150, 300}});
    ASSERT_EQ(p.table()->rowCount(), 2);
    EXPECT_EQ(p.cell(1, 1), "Circle (2 Points)");
    QTemporaryDir dir;
    QString proposedFolder, proposedName;
    QString target = dir.filePath("out.csv");
    p.dialogs.file = [&](QFileDialog &dialog) -> std::optional<QString> {
        proposedFolder = dialog.directory().absolutePath();
        proposedName = QFileInfo(dialog.selectedFiles().value(0)).fileName();
        return target;
    };
    p.app->results().dialog().exportButton()->click();
    EXPECT_EQ(proposedFolder, p.shell().state().curListPath()[state::kListJpg]);
    EXPECT_EQ(proposedName, "Results_20141111_00001.csv");
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_GE(lines.size(), 9);
    EXPECT_TRUE(lines[8].startsWith("1,Line,L,")) << lines[8].toStdString();
    // The table's tool names, not a second set of the file's own.
    EXPECT_TRUE(lines[9].startsWith("2,Circle (2 Points),C,")) << lines[9].toStdString();
    EXPECT_TRUE(p.presenter.texts.isEmpty());

    QFile blocker(dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    target = dir.filePath("blocker/out.csv");
    p.app->results().dialog().exportButton()->click();
    EXPECT_TRUE(p.presenter.texts.contains(p.shell().texts().text("CannotExportResults_MsgBox")))
        << p.presenter.texts.join(" | ").toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"blocker", "out.csv"}));
}

TEST(ExportForAnalysis, ProposesTheFirstFreeTifNameInTheJpgFolderAndWritesTheCalibratedFrame)
{
    Program p;
    ASSERT_TRUE(p.connect());
    EXPECT_TRUE(p.enabled(C::ExportAnalysis));
    p.setScaleMm(100, 75);   // 1.00 mm over the 640 px frame
    const QString jpg = p.shell().state().curListPath()[state::kListJpg];
    ASSERT_TRUE(QDir().mkpath(jpg));
    QFile taken(jpg + "/Tif_20141111_00001.tif");
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();
    const state::DefaultData before = p.shell().state().settings();

    QString proposedFolder, proposedName;
    p.dialogs.file = [&](QFileDialog &dialog) -> std::optional<QString> {
        proposedFolder = dialog.directory().absolutePath();
        proposedName = QFileInfo(dialog.selectedFiles().value(0)).fileName();
        return QDir(proposedFolder).filePath(proposedName);
    };
    p.shell().controls().action(C::ExportAnalysis)->trigger();
    EXPECT_EQ(proposedFolder, jpg);
    EXPECT_EQ(proposedName, "Tif_20141111_00002.tif");
    EXPECT_EQ(p.shell().state().settings().JpgNumber, before.JpgNumber);
    EXPECT_EQ(p.shell().state().settings().BmpNumber, before.BmpNumber);

    const QString path = jpg + "/Tif_20141111_00002.tif";
    TIFF *tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    ASSERT_NE(tif, nullptr);
    std::uint32_t width = 0;
    float xres = 0;
    std::uint16_t unit = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres);
    TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    TIFFClose(tif);
    EXPECT_EQ(width, 640u);
    EXPECT_NEAR(xres, 6400.0f, 0.01f);
    EXPECT_EQ(unit, RESUNIT_CENTIMETER);

    // The locked frame too; a write that fails is reported and leaves nothing.
    p.drawMode();
    p.shell().controls().button(C::DrawRulerTB_LockFrame)->click();
    ASSERT_TRUE(p.app->camera().camera().isFrozen());
    QTemporaryDir dir;
    QFile blocker(dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    p.dialogs.file = [&](QFileDialog &) -> std::optional<QString> { return dir.filePath("blocker/x.tif"); };
    EXPECT_FALSE(p.app->results().exportForAnalysis());
    EXPECT_TRUE(p.presenter.texts.contains(p.shell().texts().text("CannotExportTiff_MsgBox")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"blocker"});
}
