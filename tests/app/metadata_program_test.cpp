// Calibration and shapes inside saved pictures, through the real window on the virtual camera:
// a JPEG saved with shapes loads back with its scale and its shapes as measured shapes again.
#include "measure/ui/measurecontroller.h"
#include "scales/ui/scalecontroller.h"
#include "imaging/ui/stillimagecontroller.h"

#include "wholeprogram.h"

#include "camera/ui/videowidget.h"
#include "imaging/stilldocument.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "measure/measurementpacket.h"
#include "measure/ui/measuringsurface.h"
#include "platform/picturecodec.h"
#include "scales/scalelibrary.h"
#include "scales/ui/setrulerdlg.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
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

struct Program : wholeprogram::Program {
    MeasureController &measure() { return app->measure(); }
    measure::MeasuringSession &session() { return app->measure().surface().session(); }
    void drawMode()
    {
        shell().controls().button(C::ChangeModeTB_Draw)->click();
        shell().UpdateActions();
    }
    void clickTool(C id)
    {
        shell().UpdateActions();
        QToolButton *b = shell().controls().toolButton(id);
        ASSERT_TRUE(b->isVisible() && b->isEnabled()) << int(id);
        b->click();
    }
    void clickVideo(QPoint p) { QTest::mouseClick(app->camera().videoWidget(), Qt::LeftButton, Qt::NoModifier, p); }
    // The load-image button with the open dialog answered by `path`.
    void loadImage(const QString &path)
    {
        dialogs.file = [path](QFileDialog &) { return std::optional<QString>(path); };
        shell().controls().button(C::DrawRulerTB_LoadImage)->click();
    }
    QString newestIn(const QString &folder)
    {
        const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Time);
        return files.isEmpty() ? QString() : folder + u'/' + files.first();
    }
};

scales::RulerScaleControl scaleOf(const QString &name, int hSpin, int vSpin)
{
    scales::RulerScaleControl s;
    scales::applyStoreDefaults(s);
    s.name = name;
    scales::setLengthsFromMillimetreSpin(s, hSpin, vSpin);
    return s;
}

platform::Bitmap grey(int w, int h)
{
    platform::Bitmap b(w, h);
    b.fill(0x808080);
    return b;
}

void expectSamePoints(const std::vector<measure::HistoryNode> &a, const std::vector<measure::HistoryNode> &b)
{
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].shape.kind, b[i].shape.kind);
        EXPECT_NEAR(a[i].shape.a.x, b[i].shape.a.x, 0.01);
        EXPECT_NEAR(a[i].shape.a.y, b[i].shape.a.y, 0.01);
        EXPECT_NEAR(a[i].shape.b.x, b[i].shape.b.x, 0.01);
        EXPECT_NEAR(a[i].shape.b.y, b[i].shape.b.y, 0.01);
        EXPECT_EQ(a[i].labels.counter, b[i].labels.counter);
    }
}

} // namespace

TEST(PictureMetadata, SavedShapesComeBackWithTheirScaleAndCanBeUndone)
{
    Program p;
    ASSERT_TRUE(p.connect());
    Shell &w = p.shell();
    p.drawMode();
    w.controls().action(C::AutoSave)->setChecked(true);
    p.app->still().browser().showKind(state::kListJpg);
    ScaleController &scales = p.app->scales();
    const int storeCount = scales.library().store().count();
    scales.library().add(scaleOf("Stage 1 mm", 100, 75));
    scales.adoptScale(scaleOf("Stage 1 mm", 100, 75));   // known now: selected without a question
    EXPECT_EQ(scales.current().name, "Stage 1 mm");
    EXPECT_EQ(scales.library().store().count(), storeCount + 1);

    p.clickTool(C::DrawRulerTB_Overlap);
    ASSERT_TRUE(p.session().overlap());
    w.controls().action(C::ST_Line)->trigger();
    p.clickVideo({100, 200});
    p.clickVideo({300, 200});
    w.controls().action(C::ST_Rectangle)->trigger();
    p.clickVideo({50, 50});
    p.clickVideo({150, 120});
    const QSize picture = p.app->camera().camera().videoSize();
    const std::vector<measure::HistoryNode> drawn = p.session().shapesOnPicture(picture);
    ASSERT_EQ(drawn.size(), 2u);

    p.clickTool(C::DrawRulerTB_SaveImage);
    const QString jpgFolder = w.state().curListPath()[state::kListJpg];
    const QString path = p.newestIn(jpgFolder);
    ASSERT_TRUE(path.contains("Jpg_h100v75mm_")) << path.toStdString();
    const platform::MetadataRead read = platform::readJpegMetadataFile(path);
    EXPECT_DOUBLE_EQ(read.metadata.pixelsPerCmX, picture.width() / 0.1);   // 1.00 mm across the frame

    // A plain snapshot carries the calibration and the shapes too.
    w.controls().mainButton(C::CaptureImage_Btn)->click();
    const QString snapshot = p.newestIn(jpgFolder);
    ASSERT_NE(snapshot, path);
    EXPECT_DOUBLE_EQ(platform::readJpegMetadataFile(snapshot).metadata.pixelsPerCmX, picture.width() / 0.1);

    // Another scale and a cleared drawing, then the saved picture is loaded for measuring.
    scales.adoptScale(scales.library().store().scaleAt(0));
    ASSERT_NE(scales.current().name, "Stage 1 mm");
    p.clickTool(C::DrawRulerTB_ClearFrame);
    p.clickTool(C::DrawRulerTB_Overlap);   // overlap off: the load must switch it on again
    ASSERT_FALSE(p.session().overlap());
    p.loadImage(path);
    ASSERT_TRUE(p.app->camera().camera().isFrozen());
    EXPECT_EQ(scales.current().name, "Stage 1 mm");
    EXPECT_EQ(scales.library().store().count(), storeCount + 1);   // selected, not added again
    EXPECT_TRUE(p.session().overlap());
    EXPECT_TRUE(w.controls().toolButton(C::DrawRulerTB_Overlap)->isChecked());
    EXPECT_EQ(p.session().history().size(), 3u);   // the cleared state and two shapes
    expectSamePoints(drawn, p.session().shapesOnPicture(picture));

    // The restored shapes are measured shapes: a new scale relabels them, undo takes them back.
    const QImage withFirstScale = p.measure().surface().layer().image().copy();
    scales.adoptScale(scales.library().store().scaleAt(0));
    EXPECT_NE(p.measure().surface().layer().image(), withFirstScale);
    EXPECT_EQ(p.session().shapesOnPicture(picture).size(), 2u);
    p.clickTool(C::DrawRulerTB_Undo);
    EXPECT_EQ(p.session().shapesOnPicture(picture).size(), 1u);
    p.clickTool(C::DrawRulerTB_Undo);
    EXPECT_TRUE(p.session().shapesOnPicture(picture).empty());
    p.clickTool(C::DrawRulerTB_Redo);
    EXPECT_EQ(p.session().shapesOnPicture(picture).size(), 1u);
}

TEST(PictureMetadata, AnUnknownScaleIsOfferedAndAddedOnOk)
{
    Program p;
    ASSERT_TRUE(p.connect());
    p.drawMode();
    QTemporaryDir dir;
    const QString path = dir.filePath("foreign.jpg");
    measure::HistoryNode line;
    line.shape.kind = measure::ShapeKind::Line;
    line.shape.a = {10, 10};
    line.shape.b = {210, 10};
    line.labels.counter = 1;
    const auto packet = measure::packetFor(scaleOf("Picture scale 2 mm", 200, 150), QSize(640, 480), {line}, 0, 0);
    ASSERT_TRUE(platform::writeJpegFile(path, grey(640, 480), 90, measure::toMetadata(*packet)).ok());

    p.loadImage(path);
    ScaleController &scales = p.app->scales();
    const QString asked = "\"Picture scale 2 mm\" " + p.shell().texts().text("AddScaleFromPicture_MsgBox");
    EXPECT_TRUE(p.presenter.texts.contains(asked)) << p.presenter.texts.join(" | ").toStdString();
    EXPECT_EQ(scales.current().name, "Picture scale 2 mm");
    EXPECT_FLOAT_EQ(scales.current().hLength, 2.0f);
    EXPECT_TRUE(scales.library().store().names().contains("Picture scale 2 mm"));
    EXPECT_EQ(p.session().shapesOnPicture(QSize(640, 480)).size(), 1u);
}

TEST(PictureMetadata, AHostilePacketLoadsThePictureWithoutShapesAndSaysWhy)
{
    Program p;
    ASSERT_TRUE(p.connect());
    p.drawMode();
    QTemporaryDir dir;
    const QString path = dir.filePath("hostile.jpg");
    measure::HistoryNode line;
    line.shape.kind = measure::ShapeKind::Line;
    line.shape.a = {10, 10};
    line.shape.b = {210, 10};
    platform::PictureMetadata m =
        measure::toMetadata(*measure::packetFor(scaleOf("Hostile", 200, 150), QSize(640, 480), {line}, 0, 0));
    for (platform::XmpProperty &x : m.properties)
        if (x.path == "Shapes[1]")
            x.value.replace("Points=10,10 210,10", "Points=10,10 90000,5");
    ASSERT_TRUE(platform::writeJpegFile(path, grey(640, 480), 90, m).ok());

    p.loadImage(path);
    EXPECT_TRUE(p.app->camera().camera().isFrozen());
    EXPECT_EQ(p.app->camera().camera().stillImage().size(), QSize(640, 480));
    EXPECT_TRUE(p.session().shapesOnPicture(QSize(640, 480)).empty());
    EXPECT_NE(p.app->scales().current().name, "Hostile");
    const QStringList &lines = p.log.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QString &l) { return l.contains("not restored"); }))
        << lines.join(" | ").toStdString();

    // A picture without any packet loads as before: no question, no shapes.
    const QString plain = dir.filePath("plain.jpg");
    ASSERT_TRUE(platform::writeJpegFile(plain, grey(640, 480), 90).ok());
    p.shell().controls().button(C::DrawRulerTB_LoadImage)->click();   // up again
    const int asked = int(p.presenter.texts.size());
    p.loadImage(plain);
    EXPECT_TRUE(p.app->camera().camera().isFrozen());
    EXPECT_EQ(int(p.presenter.texts.size()), asked);
    EXPECT_TRUE(p.session().shapesOnPicture(QSize(640, 480)).empty());
}

TEST(PictureMetadata, WithoutAScaleASnapshotIsThePlainJpeg)
{
    Program p;
    ASSERT_TRUE(p.connect());
    p.shell().controls().action(C::AutoSave)->setChecked(true);
    p.app->still().browser().showKind(state::kListJpg);
    scales::RulerScaleControl none = p.session().scale();
    scales::setLengthsFromMillimetreSpin(none, 0, 0);
    p.session().setScale(none);
    p.shell().controls().mainButton(C::CaptureImage_Btn)->click();
    const QString path = p.newestIn(p.shell().state().curListPath()[state::kListJpg]);
    ASSERT_FALSE(path.isEmpty());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), platform::encodeJpeg(p.app->still().document().picture(), platform::kDefaultJpegQuality));
}
