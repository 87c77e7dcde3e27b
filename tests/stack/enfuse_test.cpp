// Our stacking against the open tool chain people use today, on the same frames in the same run:
// align_image_stack (hugin-tools) with field-of-view optimisation for the breathing (-m), then
// enfuse with contrast weighting and a hard mask, the usual focus-stacking recipe. Its default
// control-point error limit (-t 3) leaves the first frame, sharp at its left edge only, with no
// control points and fails; -t 10 is the smallest tried that keeps all nine frames. Skips where either
// program is not installed (`make bench` installs them; CI does not need them).
#include "stackfixture.h"

#include "stack/matconvert.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <opencv2/imgcodecs.hpp>

#include <gtest/gtest.h>

namespace {

const QStringList kEnfuseRecipe{QStringLiteral("--exposure-weight=0"), QStringLiteral("--saturation-weight=0"),
                                QStringLiteral("--contrast-weight=1"), QStringLiteral("--hard-mask"),
                                QStringLiteral("--output=enfused.tif")};

bool run(const QString &program, const QStringList &arguments, const QString &folder, QString &output)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    const bool finished = p.waitForFinished(280000);
    output = QString::fromLocal8Bit(p.readAll());
    return finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

TEST(Enfuse, FusedPictureBeatsAlignImageStackAndEnfuseByAtLeastOneDecibel)
{
    const QString align = QStandardPaths::findExecutable(QStringLiteral("align_image_stack"));
    const QString enfuse = QStandardPaths::findExecutable(QStringLiteral("enfuse"));
    if (align.isEmpty() || enfuse.isEmpty())
        GTEST_SKIP() << "align_image_stack (hugin-tools) or enfuse is not installed; `make bench` installs both";
    const stackfixture::AcceptanceStack &s = stackfixture::AcceptanceStack::get();
    ASSERT_TRUE(s.result.ok());

    // In stack order: align_image_stack matches neighbouring pictures and lays every picture over
    // its first one, so its result is compared with the true picture in frame 0's geometry.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList inputs;
    for (int k = 0; k < stackplan::kFrames; ++k) {
        const QString name = QStringLiteral("in_%1.tif").arg(k);
        ASSERT_TRUE(cv::imwrite(dir.filePath(name).toStdString(), stack::toBgr(s.frames[std::size_t(k)])));
        inputs << name;
    }
    QString log;
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(run(align, QStringList{QStringLiteral("-m"), QStringLiteral("-t"), QStringLiteral("10"), QStringLiteral("-a"), QStringLiteral("aligned_")} + inputs,
                    dir.path(), log))
        << log.toStdString();
    const QStringList aligned = QDir(dir.path()).entryList({QStringLiteral("aligned_*.tif")}, QDir::Files, QDir::Name);
    ASSERT_EQ(aligned.size(), 9) << log.toStdString();
    ASSERT_TRUE(run(enfuse, kEnfuseRecipe + aligned, dir.path(), log))
        << log.toStdString();
    const qint64 theirsMs = clock.elapsed();
    const cv::Mat theirs = cv::imread(dir.filePath(QStringLiteral("enfused.tif")).toStdString(), cv::IMREAD_COLOR);
    ASSERT_FALSE(theirs.empty());
    ASSERT_EQ(theirs.cols, s.truth.width());
    ASSERT_EQ(theirs.rows, s.truth.height());

    const QRect inner = stackfixture::innerRect(s.size());
    const double ours = stackfixture::psnr(s.result.picture, s.truth, inner);
    const platform::Bitmap truthOfFirst(platform::SpecimenRenderer(s.truth.width(), s.truth.height(), platform::SpecimenRelief::Tilted)
                                            .allInFocus(stackplan::placementOf(0)));
    const double enfused = stackfixture::psnr(stack::toBitmap(theirs), truthOfFirst, inner);
    std::printf("PSNR against the true all-in-focus picture: ours %.2f dB, align_image_stack + enfuse %.2f dB "
                "(%lld ms)\n", ours, enfused, theirsMs);
    EXPECT_GE(ours, enfused + 1.0);
}

// The fusion alone: enfuse gets the frames laid over the reference with their true warps, so that
// no alignment error of either side counts.
TEST(Enfuse, FusionBeatsEnfuseOnPerfectlyAlignedFramesByAtLeastOneDecibel)
{
    const QString enfuse = QStandardPaths::findExecutable(QStringLiteral("enfuse"));
    if (enfuse.isEmpty())
        GTEST_SKIP() << "enfuse is not installed; `make bench` installs it";
    const stackfixture::AcceptanceStack &s = stackfixture::AcceptanceStack::get();
    ASSERT_TRUE(s.result.ok());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList laid;
    for (int k = 0; k < stackplan::kFrames; ++k) {
        const QString name = QStringLiteral("laid_%1.tif").arg(k);
        const platform::Bitmap frame = stack::warpToReference(s.frames[std::size_t(k)], stackplan::trueWarp(4, k));
        ASSERT_TRUE(cv::imwrite(dir.filePath(name).toStdString(), stack::toBgr(frame)));
        laid << name;
    }
    QString log;
    ASSERT_TRUE(run(enfuse, kEnfuseRecipe + laid, dir.path(), log)) << log.toStdString();
    const cv::Mat theirs = cv::imread(dir.filePath(QStringLiteral("enfused.tif")).toStdString(), cv::IMREAD_COLOR);
    ASSERT_FALSE(theirs.empty());
    const QRect inner = stackfixture::innerRect(s.size());
    const double ours = stackfixture::psnr(s.result.picture, s.truth, inner);
    const double enfused = stackfixture::psnr(stack::toBitmap(theirs), s.truth, inner);
    std::printf("PSNR, frames laid with their true warps: ours (own alignment) %.2f dB, enfuse %.2f dB\n", ours, enfused);
    EXPECT_GE(ours, enfused + 1.0);
}

} // namespace
