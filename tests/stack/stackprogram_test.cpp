// The "Focus Stack" tool in the whole program on the virtual camera: a folder of JPEGs saved by
// the program stacks into a calibrated still in the library, a cancel leaves no file, frames come
// from the live picture every N ms or on Space presses, and bad input is named in a message.
#include "wholeprogram.h"

#include "imaging/stilldocument.h"
#include "imaging/ui/stillimagecontroller.h"
#include "imaging/ui/stillimageview.h"
#include "measure/measurementpacket.h"
#include "platform/gst/specimen.h"
#include "platform/picturecodec.h"
#include "scales/rulerscale.h"
#include "stack/ui/focusstackcontroller.h"
#include "stack/ui/focusstackdialog.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using stack::ui::FocusStackController;
using stack::ui::FocusStackDialog;

struct Program : wholeprogram::Program {
    FocusStackController &tool() { return *shell().findChild<FocusStackController *>(); }
    FocusStackDialog &dialog() { return tool().dialog(); }
    QString jpgFolder() { return shell().state().curListPath()[state::kListJpg]; }
    QStringList stacksIn(const QString &folder) { return QDir(folder).entryList({QStringLiteral("Stack_*")}, QDir::Files); }
    void chooseFolder(const QString &folder)
    {
        tool().FocusStack_ToolClick();
        dialogs.file = [folder](QFileDialog &) { return std::optional<QString>(folder); };
        dialog().setFromLive(false);
        dialog().folderButton()->click();
    }
};

// The calibration the pictures were saved with: the picture's width is 1.28 mm (128 divisions of
// the micrometer), its height 0.96 mm.
platform::PictureMetadata calibration(QSize picture)
{
    scales::RulerScaleControl scale;
    scales::applyStoreDefaults(scale);
    scale.name = QStringLiteral("Micrometer");
    scales::setLengthsFromMillimetreSpin(scale, 128, 96);
    return measure::toMetadata(*measure::packetFor(scale, picture, {}, 0, 0));
}

// Five frames of the tilted specimen, focus 35 to 65, breathing and drifting; the middle one (the
// reference) lies exactly where the calibration was made. Written as the program writes a
// snapshot with a scale: JPEG at quality 90 with EXIF resolution and the XMP packet.
void writeStack(const QString &folder, QSize size)
{
    platform::SpecimenRenderer renderer(size.width(), size.height(), platform::SpecimenRelief::Tilted);
    const platform::SpecimenPlacement places[] = {{0.99, 3, -2}, {0.995, -2, 1}, {1.0, 0, 0}, {1.005, 4, 2}, {1.01, -3, 5}};
    for (int i = 0; i < 5; ++i) {
        const platform::Bitmap frame(renderer.atFocus(35 + 7.5 * i, places[i]));
        const QString path = folder + QStringLiteral("/Jpg_20141111_%1.jpg").arg(i + 1, 5, 10, QLatin1Char('0'));
        ASSERT_TRUE(platform::writeJpegFile(path, frame, 90, calibration(size)).ok());
    }
}

// The centres of the long (every tenth) ticks along one row above the short ticks.
std::vector<double> longTicks(const platform::Bitmap &picture)
{
    const double div = platform::specimenPixelsPerDivision(picture.width());
    const int y = int(picture.height() * 0.42 - div * 7);
    std::vector<double> centres;
    int start = -1;
    for (int x = 0; x <= picture.width(); ++x) {
        const bool dark = x < picture.width() && qGray(picture.image().pixel(x, y)) < 110;
        if (dark && start < 0)
            start = x;
        if (!dark && start >= 0) {
            centres.push_back((start + x - 1) / 2.0);
            start = -1;
        }
    }
    return centres;
}

TEST(FocusStackProgram, FolderOfSavedJpegsStacksIntoACalibratedStillOfTheLibrary)
{
    Program p;
    QTemporaryDir input;
    writeStack(input.path(), QSize(1600, 1200));
    p.chooseFolder(input.path());
    EXPECT_EQ(p.dialog().folder(), input.path());
    p.dialog().setDepthMap(true);
    QSignalSpy done(&p.tool(), &FocusStackController::finished);
    ASSERT_TRUE(p.dialog().stackButton()->isEnabled());
    p.dialog().stackButton()->click();
    EXPECT_FALSE(p.dialog().stackButton()->isEnabled());
    ASSERT_TRUE(done.wait(120000));
    ASSERT_TRUE(done.first().first().toBool()) << p.log.lines().join(u'\n').toStdString();

    // Saved like a snapshot: the library's JPG folder, the library's name led by "Stack_".
    const QString path = p.tool().lastSavedPath();
    EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(p.jpgFolder()).absoluteFilePath());
    EXPECT_EQ(QFileInfo(path).fileName(), QStringLiteral("Stack_Jpg_20141111_00001.jpg"));
    EXPECT_EQ(p.stacksIn(p.jpgFolder()).size(), 1);
    // ... and shown in the still area as that file.
    EXPECT_EQ(p.app->still().document().filePath(), path);
    EXPECT_EQ(p.app->still().document().picture().size(), QSize(1600, 1200));
    EXPECT_EQ(p.tool().lastResult().depthMap.size(), QSize(1600, 1200));
    EXPECT_TRUE(p.dialog().depthLegend()->isVisible());

    // Measured as a calibrated still: the scale from the file, the micrometer's millimetre from
    // its picture.
    const platform::MetadataRead read = platform::readJpegMetadataFile(path);
    const measure::PacketRead packet = measure::parsePacket(read.metadata.properties, QSize(1600, 1200));
    ASSERT_TRUE(packet.packet) << packet.error.toStdString();
    EXPECT_EQ(packet.packet->scaleName, QStringLiteral("Micrometer"));
    const platform::DecodedPicture saved = platform::readPictureFile(path);
    ASSERT_TRUE(saved.ok());
    const std::vector<double> ticks = longTicks(saved.bitmap);
    ASSERT_EQ(ticks.size(), 11u);
    const double millimetre = (ticks.back() - ticks.front()) * packet.packet->pixelWidth;
    EXPECT_EQ(QString::asprintf("%.2f", millimetre), QStringLiteral("1.00"));
    EXPECT_NEAR(millimetre, 1.0, 0.002);
}

TEST(FocusStackProgram, CancelWhileStackingLeavesNoFileBehind)
{
    QTemporaryDir input;
    writeStack(input.path(), QSize(1600, 1200));
    QString library;
    QStringList before;
    {
        Program p;
        library = p.jpgFolder();
        before = QDir(library).entryList(QDir::Files | QDir::Hidden);
        p.chooseFolder(input.path());
        QSignalSpy done(&p.tool(), &FocusStackController::finished);
        p.dialog().stackButton()->click();
        ASSERT_TRUE(p.tool().running());
        QTRY_VERIFY_WITH_TIMEOUT(p.dialog().progressBar()->value() >= 1, 60000);
        p.dialog().cancelButton()->click();
        ASSERT_EQ(done.count(), 1);
        EXPECT_FALSE(done.first().first().toBool());
        EXPECT_FALSE(p.tool().running());
        EXPECT_TRUE(p.dialog().startButton()->isEnabled() || p.dialog().stackButton()->isEnabled());
        EXPECT_EQ(p.dialog().statusText(), QStringLiteral("Cancelled. Nothing was saved."));
    }   // the program ends: the worker waits for the run, whose result is dropped
    EXPECT_EQ(QDir(library).entryList(QDir::Files | QDir::Hidden), before);
    EXPECT_EQ(QDir(input.path()).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

TEST(FocusStackProgram, LiveFramesEveryIntervalUntilStopAndOnEachSpacePress)
{
    Program p;
    ASSERT_TRUE(p.connect());
    p.tool().FocusStack_ToolClick();
    FocusStackDialog &d = p.dialog();
    d.setFromLive(true);

    // On Space presses: two presses, two frames; Cancel drops them.
    d.setOnSpacePress(true);
    EXPECT_TRUE(d.fromLive());
    d.startButton()->click();
    EXPECT_EQ(d.phase(), FocusStackDialog::Phase::Collecting);
    QTest::keyClick(&d, Qt::Key_Space);
    QTest::keyClick(&d, Qt::Key_Space);
    EXPECT_EQ(p.tool().liveFrames(), 2);
    d.cancelButton()->click();
    EXPECT_EQ(p.tool().liveFrames(), 0);
    EXPECT_EQ(d.phase(), FocusStackDialog::Phase::Idle);
    EXPECT_TRUE(p.stacksIn(p.jpgFolder()).isEmpty());

    // Every 100 ms until Stop, then the run and the save.
    d.setOnSpacePress(false);
    d.setIntervalMs(100);
    QSignalSpy done(&p.tool(), &FocusStackController::finished);
    d.startButton()->click();
    EXPECT_EQ(p.tool().liveTimer().interval(), 100);
    QTRY_VERIFY_WITH_TIMEOUT(p.tool().liveFrames() >= 3, 20000);
    d.stopButton()->click();
    ASSERT_TRUE(done.wait(60000));
    ASSERT_TRUE(done.first().first().toBool()) << p.log.lines().join(u'\n').toStdString();
    EXPECT_EQ(p.stacksIn(p.jpgFolder()).size(), 1);
    EXPECT_EQ(p.app->still().document().filePath(), p.tool().lastSavedPath());
}

TEST(FocusStackProgram, BadInputIsNamedInAMessageAndNothingIsSaved)
{
    Program p;
    QTemporaryDir one, broken;
    // One picture is no stack.
    ASSERT_TRUE(platform::writeJpegFile(one.filePath("a.jpg"), platform::Bitmap(64, 48), 90).ok());
    p.chooseFolder(one.path());
    p.dialog().stackButton()->click();
    ASSERT_FALSE(p.presenter.texts.isEmpty());
    EXPECT_EQ(p.presenter.texts.last(), QStringLiteral("A focus stack needs at least two pictures and at most 255."));
    // A file that says JPEG but is cut short.
    ASSERT_TRUE(platform::writeJpegFile(broken.filePath("a.jpg"), platform::Bitmap(64, 48), 90).ok());
    QFile cut(broken.filePath("b.jpg"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(QByteArray::fromHex("FFD8FFE000104A464946"));
    cut.close();
    p.chooseFolder(broken.path());
    QSignalSpy done(&p.tool(), &FocusStackController::finished);
    p.dialog().stackButton()->click();
    ASSERT_TRUE(done.wait(30000));
    EXPECT_FALSE(done.first().first().toBool());
    EXPECT_TRUE(p.presenter.texts.last().startsWith(QStringLiteral("\"b.jpg\" cannot be read.")))
        << p.presenter.texts.last().toStdString();
    EXPECT_TRUE(p.stacksIn(p.jpgFolder()).isEmpty());
}

} // namespace
