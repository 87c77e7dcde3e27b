// The tool dialogs offscreen: field checks, totals, folder names and the questions they ask.
#include "fakes.h"
#include "tools/ui/img2viddialog.h"
#include "tools/ui/timingcapdialog.h"
#include "tools/ui/toolinfodialog.h"
#include "tools/ui/vid2imgdialog.h"
#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"
#include "state/uiprotocol.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using tools::ScheduleField;

struct Messages {
    QStringList shown;   // prefix + key
    int answer = state::kResultOk;
};

struct DialogFixture : ::testing::Test {
    QTemporaryDir root;
    fakes::FakeClock clock;
    platform::DiagnosticsLog log;
    Messages messages;

    tools::ui::ToolDialogDeps deps()
    {
        clock.time = QDateTime(QDate(2024, 1, 5), QTime(9, 30, 7));
        tools::ui::ToolDialogDeps d;
        d.text = [](const QString &key) {
            if (key == QLatin1String("TCOM_SS"))
                return QStringLiteral("sec.");
            if (key == QLatin1String("TCOM_MM"))
                return QStringLiteral("min.");
            if (key == QLatin1String("TCOM_Processing"))
                return QStringLiteral("Processing");
            return key;
        };
        d.showMessage = [this](const QString &prefix, const QString &key, const QString &, bool, int) {
            messages.shown << prefix + key;
            return messages.answer;
        };
        d.showMessageWith = [this](const QString &key, const QStringList &arguments, const QString &, bool, int) {
            messages.shown << key + u'(' + arguments.join(u',') + u')';
            return messages.answer;
        };
        d.pickFolder = [](const QString &, const QString &) { return std::optional<QString>(); };
        d.clock = &clock;
        d.log = &log;
        for (int k = 0; k < 3; ++k)
            d.defListPath[k] = root.filePath(QStringLiteral("lib%1").arg(k));
        return d;
    }
};

TEST_F(DialogFixture, TimedCaptureMakesItsFoldersAndNamesTheAutoFolderByTheTime)
{
    tools::ui::TTimingCapDlg dlg(deps());
    for (const char *name : {"lib0/TCbmp", "lib1/TCjpg", "lib2/TCavi"})
        EXPECT_TRUE(QFileInfo(root.filePath(QString::fromLatin1(name))).isDir()) << name;
    EXPECT_EQ(dlg.folderNameEdit()->text(), QStringLiteral("TCjpg_20240105-093007"));
    EXPECT_EQ(dlg.savePathEdit()->text(), root.filePath(QStringLiteral("lib1/TCjpg_20240105-093007")));
    dlg.setFolderMode(tools::kFolderKeyIn);
    EXPECT_EQ(dlg.savePathEdit()->text(), root.filePath(QStringLiteral("lib1/TCjpg")));
    dlg.setFileType(tools::kCaptureAvi);
    EXPECT_EQ(dlg.savePathEdit()->text(), root.filePath(QStringLiteral("lib2/TCavi")));
}

TEST_F(DialogFixture, TimedCaptureFoldersThatCannotBeMadeAreLoggedNotFatal)
{
    tools::ui::ToolDialogDeps d = deps();
    // A file where the BMP library folder should be.
    QFile blocker(d.defListPath[0]);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    tools::ui::TTimingCapDlg dlg(d);
    EXPECT_TRUE(log.contains(QStringLiteral("Cannot create ") + d.defListPath[0] + QStringLiteral("/TCbmp")));
}

TEST_F(DialogFixture, TimedCaptureTotalsAndFieldChecks)
{
    tools::ui::TTimingCapDlg dlg(deps());
    dlg.setFileType(tools::kCaptureBmp);
    dlg.field(ScheduleField::StartTime)->setText(QStringLiteral("1"));
    dlg.unitBox(ScheduleField::StartTime)->setCurrentIndex(tools::kUnitMinutes);
    dlg.field(ScheduleField::Interval)->setText(QStringLiteral("5"));
    dlg.field(ScheduleField::FilesNumber)->setText(QStringLiteral("3"));
    Q_EMIT dlg.field(ScheduleField::FilesNumber)->editingFinished();
    EXPECT_EQ(dlg.totalEdit()->text(), QStringLiteral("70 [sec.]"));
    EXPECT_EQ(dlg.schedule().settings().totalSeconds, 70);
    // A nought in the files becomes 1.
    dlg.field(ScheduleField::FilesNumber)->setText(QStringLiteral("0"));
    Q_EMIT dlg.field(ScheduleField::FilesNumber)->editingFinished();
    EXPECT_EQ(dlg.field(ScheduleField::FilesNumber)->text(), QStringLiteral("1"));
    // Letters: the message, and the field is 1 again.
    dlg.field(ScheduleField::Interval)->setText(QStringLiteral("5x"));
    Q_EMIT dlg.field(ScheduleField::Interval)->textEdited(QStringLiteral("5x"));
    EXPECT_EQ(dlg.field(ScheduleField::Interval)->text(), QStringLiteral("1"));
    EXPECT_EQ(messages.shown, QStringList{"PleaseInputNumber_MsgBox"});
    // Clips: the total is shown in the record unit without a space.
    dlg.setFileType(tools::kCaptureAvi);
    dlg.unitBox(ScheduleField::StartTime)->setCurrentIndex(tools::kUnitSeconds);
    dlg.field(ScheduleField::StartTime)->setText(QStringLiteral("0"));
    dlg.field(ScheduleField::Interval)->setText(QStringLiteral("5"));
    dlg.field(ScheduleField::FilesNumber)->setText(QStringLiteral("2"));
    Q_EMIT dlg.field(ScheduleField::FilesNumber)->editingFinished();
    EXPECT_EQ(dlg.totalEdit()->text(), QStringLiteral("25(sec.)"));
    EXPECT_TRUE(dlg.field(ScheduleField::RecordTime)->isEnabled());
}

TEST_F(DialogFixture, TimedCaptureExecuteArmsTheScheduleWithItsFolder)
{
    tools::ui::TTimingCapDlg dlg(deps());
    dlg.setFolderMode(tools::kFolderKeyIn);
    dlg.folderNameEdit()->setText(QStringLiteral("series"));
    Q_EMIT dlg.folderNameEdit()->textEdited(QStringLiteral("series"));
    dlg.TC_Execute_BtnClick();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(dlg.schedule().running().active);
    EXPECT_EQ(dlg.schedule().running().savePath, root.filePath(QStringLiteral("lib1/series")));
    EXPECT_TRUE(QFileInfo(root.filePath(QStringLiteral("lib1/series"))).isDir());
}

TEST_F(DialogFixture, VideoToImagesClampsAndCountsFiles)
{
    tools::ui::TVid2ImgDlg dlg(deps());
    EXPECT_FALSE(dlg.executeButton()->isEnabled());
    QFile video(root.filePath(QStringLiteral("two-minutes.avi")));
    ASSERT_TRUE(video.open(QIODevice::WriteOnly));
    video.close();
    platform::AviFrameData data;
    data.lengthSeconds = 120;
    data.framesPerSecond = 25;
    dlg.probe = [data](const QString &) { return std::optional<platform::AviFrameData>(data); };
    dlg.openVideo(video.fileName());
    EXPECT_EQ(dlg.totalFrameEdit()->text(), QStringLiteral("3000  [ 25 fps]"));
    EXPECT_EQ(dlg.totalTimeEdit()->text(), QStringLiteral("00:02:00 [HH:MM:SS]"));
    EXPECT_TRUE(dlg.intervalEdit()->isEnabled());
    EXPECT_TRUE(dlg.unitBox()->isEnabled());
    dlg.setInterval(5, tools::kIntervalMinutes);
    EXPECT_EQ(dlg.intervalEdit()->text(), QStringLiteral("2"));
    EXPECT_EQ(dlg.totalFilesEdit()->text(), QStringLiteral("1"));
    dlg.setInterval(3, tools::kIntervalSeconds);
    EXPECT_EQ(dlg.totalFilesEdit()->text(), QStringLiteral("40"));
    EXPECT_TRUE(dlg.executeButton()->isEnabled());
    dlg.setOutputType(false);
    dlg.V2I_Execute_BtnClick();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.job().baseName, QStringLiteral("two-minutes"));
    EXPECT_EQ(dlg.job().totalFiles, 40);
    EXPECT_DOUBLE_EQ(dlg.job().stepSeconds, 3);
    EXPECT_FALSE(dlg.job().jpg);
    EXPECT_EQ(dlg.job().savePath, root.filePath(QStringLiteral("lib0/V2Ibmp_20240105-093007")));
}

TEST_F(DialogFixture, VideoToImagesWithoutARateOffersNoExecute)
{
    tools::ui::TVid2ImgDlg dlg(deps());
    QFile video(root.filePath(QStringLiteral("norate.avi")));
    ASSERT_TRUE(video.open(QIODevice::WriteOnly));
    video.close();
    platform::AviFrameData data;
    data.lengthSeconds = 10;
    dlg.probe = [data](const QString &) { return std::optional<platform::AviFrameData>(data); };
    dlg.openVideo(video.fileName());
    dlg.setInterval(5, tools::kIntervalFrames);
    EXPECT_EQ(dlg.totalFilesEdit()->text(), QStringLiteral("0"));
    EXPECT_FALSE(dlg.executeButton()->isEnabled());
}

struct Img2VidFixture : DialogFixture {
    QString folder;
    void SetUp() override
    {
        folder = root.filePath(QStringLiteral("pics"));
        QDir().mkpath(folder);
        for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
            ASSERT_TRUE(platform::writeJpegFile(QDir(folder).filePath(QString::fromLatin1(name)), platform::Bitmap(32, 24)).ok());
    }
};

TEST_F(Img2VidFixture, ChoosingMovesItemsAndTheButtonsFollow)
{
    tools::ui::TImg2VidDlg dlg(deps());
    dlg.setOpenFolder(folder);
    EXPECT_EQ(dlg.sourceList()->count(), 3);
    EXPECT_FALSE(dlg.button("I2V_Execute_Btn")->isEnabled());
    dlg.sourceList()->setCurrentRow(2);
    dlg.selectItems();
    dlg.selectAll();
    EXPECT_EQ(dlg.chosenList()->count(), 3);
    EXPECT_EQ(dlg.chosenList()->item(0)->text(), QStringLiteral("c.jpg"));
    EXPECT_FALSE(dlg.button("I2V_Select_BitBtn")->isEnabled());
    EXPECT_TRUE(dlg.button("I2V_Execute_Btn")->isEnabled());
    dlg.setFrameRate(30);
    EXPECT_EQ(dlg.frameRateEdit()->text(), QStringLiteral("30"));
    EXPECT_EQ(dlg.framePeriod(), 33);
    dlg.setFrameRate(7);
    EXPECT_EQ(dlg.frameRateEdit()->text(), QStringLiteral("07"));
    dlg.setReverse(true);
    dlg.I2V_Preview_BtnClick();
    EXPECT_EQ(dlg.playerState(), tools::ui::TImg2VidDlg::kPlaying);
    EXPECT_EQ(dlg.previewIndex(), 2);
    // Every picture the player shows from now on, with the player's state at that moment.
    std::vector<std::pair<int, int>> shown;
    QObject::connect(dlg.chosenList(), &QListWidget::currentRowChanged, &dlg,
                     [&](int row) { shown.emplace_back(row, dlg.playerState()); });
    EXPECT_FALSE(dlg.button("I2V_Unselect_BitBtn")->isEnabled());
    // The player steps backwards at the frame period and stops after the first picture, back at
    // the start; however late each step comes, the order is the same.
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.playerState() == tools::ui::TImg2VidDlg::kStopped; }, 5000));
    using P = std::pair<int, int>;
    EXPECT_EQ(shown, (std::vector<P>{{1, tools::ui::TImg2VidDlg::kPlaying}, {0, tools::ui::TImg2VidDlg::kPlaying},
                                     {2, tools::ui::TImg2VidDlg::kStopped}}));
    EXPECT_EQ(dlg.previewIndex(), 2);   // back at the start
    dlg.I2V_Stop_BtnClick();
    EXPECT_EQ(dlg.playerState(), tools::ui::TImg2VidDlg::kStopped);
    dlg.I2V_Execute_BtnClick();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.job().chosen, (QStringList{"c.jpg", "a.jpg", "b.jpg"}));
    EXPECT_TRUE(dlg.job().reverse);
    EXPECT_EQ(dlg.job().framePeriodMs, 142);
    EXPECT_EQ(QFileInfo(dlg.job().outputPath).fileName(), QStringLiteral("I2Vvid_20240105-093007.avi"));
}

TEST_F(Img2VidFixture, AnExistingOutputIsReplacedOnlyWhenTheUserSaysSo)
{
    tools::ui::TImg2VidDlg dlg(deps());
    dlg.setOpenFolder(folder);
    dlg.setSaveFolder(folder);
    dlg.setFileNameMode(1);
    dlg.selectAll();
    QFile old(QDir(folder).filePath(QStringLiteral("I2Vvid.avi")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    messages.answer = state::kResultCancel;
    dlg.setResult(QDialog::Rejected);
    dlg.I2V_Execute_BtnClick();
    EXPECT_EQ(messages.shown, QStringList{"\"I2Vvid.avi\" FileNameExisted_MsgBox"});
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(old.exists());
    messages.answer = state::kResultOk;
    dlg.I2V_Execute_BtnClick();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.job().outputPath, old.fileName());
}

TEST_F(Img2VidFixture, PicturesTheAviWriterCannotTakeAreRefusedBeforeTheRunStarts)
{
    // The first readable picture in the order written gives the video its size; avimux takes 16
    // to 4096 pixels a side. A BMP header alone claims the size of one too large to decode.
    const QString wide = QDir(folder).filePath(QStringLiteral("d.jpg"));
    ASSERT_TRUE(platform::writeJpegFile(wide, platform::Bitmap(4100, 20)).ok());
    QFile broken(QDir(folder).filePath(QStringLiteral("0.jpg")));   // listed first, unreadable: skipped
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("\xFF\xD8\xFF", 3);
    broken.close();
    struct Case {
        const char *name;
        QStringList chosen;
        bool reverse;
        QString refused;   // empty: accepted
    };
    const Case cases[] = {
        {"too wide first", {"0.jpg", "d.jpg", "a.jpg"}, false, "VideoPictureSize_MsgBox(d.jpg,4100,20,16,4096)"},
        {"too wide, written last", {"a.jpg", "d.jpg"}, false, {}},
        {"too wide, written first backwards", {"a.jpg", "d.jpg"}, true, "VideoPictureSize_MsgBox(d.jpg,4100,20,16,4096)"},
        {"fits", {"a.jpg", "b.jpg"}, false, {}},
    };
    for (const Case &c : cases) {
        tools::ui::TImg2VidDlg dlg(deps());
        dlg.setOpenFolder(folder);
        dlg.setReverse(c.reverse);
        for (const QString &name : c.chosen) {
            const QList<QListWidgetItem *> found = dlg.sourceList()->findItems(name, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << c.name;
            dlg.sourceList()->setCurrentItem(found.first());
            dlg.selectItems();
        }
        messages.shown.clear();
        dlg.setResult(QDialog::Rejected);
        dlg.I2V_Execute_BtnClick();
        if (c.refused.isEmpty()) {
            EXPECT_TRUE(messages.shown.isEmpty()) << c.name;
            EXPECT_EQ(dlg.result(), QDialog::Accepted) << c.name;
        } else {
            EXPECT_EQ(messages.shown, QStringList{c.refused}) << c.name;
            EXPECT_NE(dlg.result(), QDialog::Accepted) << c.name << ": the dialog stays to choose again";
        }
    }
}

TEST_F(Img2VidFixture, CompressionOffersTheInstalledEncodersWithMpeg4First)
{
    tools::ui::TImg2VidDlg dlg(deps());
    dlg.listCompressors = [] {
        return std::vector<platform::CompressorInfo>{{"jpegenc", "JPEG", 256}, {"avenc_msmpeg4", "MS", 0},
                                                     {"avenc_mpeg4", "MPEG-4", 0}};
    };
    dlg.setCompression(true);
    EXPECT_EQ(dlg.compressorBox()->currentData().toString(), QStringLiteral("avenc_mpeg4"));
    EXPECT_TRUE(dlg.compressorBox()->isEnabled());
}

TEST_F(DialogFixture, StatusWindowShowsCountdownsAndProgress)
{
    tools::ui::TToolInfoDlg info(deps().text);
    tools::ScheduleRecord settings;
    settings.fileType = tools::kCaptureBmp;
    settings.filesNumber = 3;
    settings.interval = 5;
    settings.totalSeconds = 10;
    tools::ScheduleRecord running = settings;
    running.active = true;
    running.filesNumber = 2;
    running.interval = 4;
    running.totalSeconds = 9;
    info.refreshTimedCapture(running, settings);
    EXPECT_EQ(info.timedField("TITC_FileType_LE")->text(), QStringLiteral("BMP"));
    EXPECT_EQ(info.timedField("TITC_FileNum_LE")->text(), QStringLiteral("2 [ 3 TCOM_Files]"));
    EXPECT_EQ(info.timedField("TITC_IntervalTime_LE")->text(), QStringLiteral("4 [ 5 sec.]"));
    EXPECT_EQ(info.timedField("TITC_TotalTime_LE")->text(), QStringLiteral("9 [ 10 sec.]"));
    EXPECT_EQ(info.timedField("TITC_FuncStatus_LE")->text(), QStringLiteral("TCOM_Enable"));
    EXPECT_FALSE(info.timedField("TITC_RecTime_LE")->isEnabled());
    info.setProgress(tools::ui::TToolInfoDlg::kVideoToImagesPage, {tools::ConversionStatus::Processing, 40, 4, 10});
    EXPECT_EQ(info.statusLabel(tools::ui::TToolInfoDlg::kVideoToImagesPage)->text(), QStringLiteral("Processing 40%(4/10)"));
    EXPECT_EQ(info.progressBar(tools::ui::TToolInfoDlg::kVideoToImagesPage)->value(), 4);
    EXPECT_EQ(info.progressBar(tools::ui::TToolInfoDlg::kVideoToImagesPage)->maximum(), 10);
}

} // namespace
