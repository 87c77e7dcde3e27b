// A full disk under the library and the conversions, in the whole program on the virtual camera:
// the user is told that the disk is full and which folder, no half-written file is left to be
// listed, and the live picture goes on. Each case runs on a real small tmpfs (when this process
// may mount one) and with ENOSPC injected into the writes (always).
#include "imaging/stilldocument.h"
#include "imaging/ui/stillimagecontroller.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "platform/aviwriter.h"
#include "platform/mediafiles.h"
#include "platform/picturecodec.h"
#include "tools/imagestovideoconverter.h"
#include "tools/ui/automationcontroller.h"
#include "tools/videotoimagesconverter.h"

#include "diskfull.h"
#include "wholeprogram.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using wholeprogram::Program;

namespace {

enum class Disk { Injected, Tmpfs };

std::string diskName(const ::testing::TestParamInfo<Disk> &info)
{
    return info.param == Disk::Injected ? "InjectedEnospc" : "SmallTmpfs";
}

// The folder whose disk fills up, and the way it is full.
struct FullDisk : ::testing::TestWithParam<Disk> {
    Program p;
    QString folder = p.profile.path() + QStringLiteral("/full");
    std::unique_ptr<fakes::SmallTmpfs> tmpfs;
    std::unique_ptr<fakes::InjectedDiskFull> injected;

    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(folder));
        if (GetParam() == Disk::Tmpfs) {
            tmpfs = std::make_unique<fakes::SmallTmpfs>(folder, 2048);
            if (!tmpfs->mounted())
                GTEST_SKIP() << tmpfs->error().toStdString();
        }
        ASSERT_TRUE(p.connect());
    }
    // From now on, the disk holds at most `leftBytes` more (the injected one holds nothing).
    void fill(qint64 leftBytes)
    {
        if (tmpfs)
            ASSERT_TRUE(tmpfs->fill(leftBytes));
        else
            injected = std::make_unique<fakes::InjectedDiskFull>(folder);
    }
    QString diskFullText() const
    {
        return QStringLiteral("The disk is full: nothing more can be written to the folder %1. Make room there or "
                              "choose another folder.")
            .arg(folder);
    }
    // What the folder holds besides the filler: whole files only, no temporary one.
    QStringList leftInFolder() const
    {
        QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral(".filler"));
        return names;
    }
    // The camera still delivers pictures to the window.
    bool previewLive()
    {
        QSignalSpy frames(&p.app->camera().camera(), &camera::TVideoCameraDS::frameReady);
        return p.shell().state().flags().VideoConnected && frames.wait(5000);
    }
};

TEST_P(FullDisk, ASnapshotThatCannotBeSavedSaysTheDiskIsFullAndStaysUnsaved)
{
    p.app->still().browser().useFolder(state::kListJpg, folder);
    p.shell().state().setAutoSave(true);
    fill(4096);
    p.shell().controls().mainButton(state::ControlId::CaptureImage_Btn)->click();
    ASSERT_FALSE(p.app->still().document().isEmpty());
    EXPECT_EQ(p.presenter.texts, QStringList{diskFullText()});
    EXPECT_TRUE(p.app->still().document().hasUnsavedEdits()) << "the picture must not be lost";
    EXPECT_TRUE(leftInFolder().isEmpty()) << leftInFolder().join(u' ').toStdString();
    p.app->still().browser().FileList(state::kListJpg);
    EXPECT_TRUE(p.app->still().browser().pages().kind(state::kListJpg).files.isEmpty());
    EXPECT_TRUE(previewLive());
}

TEST_P(FullDisk, VideoToImagesEndsAtTheFullDiskKeepingTheWholeFiles)
{
    // A clip of 20 frames, 320 x 240, two seconds, on a disk with room.
    const QString clip = p.shell().paths().defListPath[state::kListAvi] + QStringLiteral("/clip.avi");
    {
        std::unique_ptr<platform::AviWriter> writer = p.system->services().files.createAviWriter({clip, 100, {}});
        for (int i = 0; i < 20; ++i)
            ASSERT_EQ(writer->addFrame(platform::Bitmap(320, 240, platform::rgbColor(i * 10, 100, 50))),
                      platform::FrameWrite::Written);
        ASSERT_TRUE(writer->close());
    }
    tools::VideoToImagesConverter &run = p.app->automation().vid2ImgConverter();
    tools::VideoToImagesJob job;
    job.videoPath = clip;
    job.baseName = QStringLiteral("clip");
    job.savePath = folder;
    job.jpg = false;   // 230 454 bytes a file
    job.stepSeconds = 0.1;
    job.totalFiles = 20;
    QSignalSpy progress(&run, &tools::VideoToImagesConverter::progressed);
    QSignalSpy finished(&run, &tools::VideoToImagesConverter::finished);
    // Room for two files on the tmpfs; the injected disk fills up after the second file.
    if (tmpfs)
        fill(2 * 230454 + 100000);
    ASSERT_TRUE(run.start(job));
    if (!tmpfs) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return run.filesDone() >= 2 || !run.running(); }, 20000));
        fill(0);
    }
    ASSERT_TRUE(!finished.isEmpty() || finished.wait(30000));
    EXPECT_FALSE(run.running());
    EXPECT_TRUE(run.endedOnFullDisk());
    EXPECT_EQ(p.presenter.texts, QStringList{diskFullText()});
    const QStringList left = leftInFolder();
    EXPECT_GE(left.size(), 2);
    EXPECT_LT(left.size(), 20);
    for (const QString &name : left) {
        EXPECT_TRUE(name.startsWith(QStringLiteral("clip_")) && name.endsWith(QStringLiteral(".bmp"))) << name.toStdString();
        EXPECT_TRUE(platform::readPictureFile(QDir(folder).filePath(name)).ok()) << name.toStdString();
    }
    EXPECT_TRUE(previewLive());
}

TEST_P(FullDisk, ImagesToVideoOnAFullDiskLeavesNoHalfFileAndSaysWhere)
{
    const QString pictures = p.shell().paths().defListPath[state::kListBmp] + QStringLiteral("/series");
    ASSERT_TRUE(QDir().mkpath(pictures));
    QStringList chosen;
    for (int i = 0; i < 12; ++i) {
        chosen << QStringLiteral("p%1.bmp").arg(i, 2, 10, QLatin1Char('0'));
        ASSERT_TRUE(platform::writeBmpFile(QDir(pictures).filePath(chosen.last()),
                                           platform::Bitmap(320, 240, platform::rgbColor(i * 20, 0, 0)))
                        .ok());
    }
    tools::ImagesToVideoConverter &run = p.app->automation().img2VidConverter();
    QSignalSpy finished(&run, &tools::ImagesToVideoConverter::finished);
    fill(300000);   // one uncompressed frame fits, the second does not
    tools::ImagesToVideoJob job;
    job.folder = pictures;
    job.chosen = chosen;
    job.outputPath = QDir(folder).filePath(QStringLiteral("I2Vvid.avi"));
    ASSERT_TRUE(run.start(job));
    ASSERT_TRUE(!finished.isEmpty() || finished.wait(60000));
    const auto result = finished.first().first().value<tools::ImagesToVideoResult>();
    EXPECT_TRUE(result.diskFull());
    EXPECT_FALSE(result.fileWritten);
    EXPECT_EQ(p.presenter.texts, QStringList{diskFullText()});
    EXPECT_TRUE(leftInFolder().isEmpty()) << leftInFolder().join(u' ').toStdString();
    EXPECT_TRUE(previewLive());
}

INSTANTIATE_TEST_SUITE_P(Disks, FullDisk, ::testing::Values(Disk::Injected, Disk::Tmpfs), diskName);

} // namespace
