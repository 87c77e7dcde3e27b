#include "vid2imgdialog.h"

#include "folderfields.h"

#include "tools/timedschedule.h"
#include "tools/toolnaming.h"
#include "library/toolfolders.h"
#include "platform/clock.h"
#include "platform/diagnosticslog.h"
#include "state/uiprotocol.h"
#include "widgets/dialogframe.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tools::ui {

namespace {

constexpr std::array kLabelNames{"V2I_OpenPath_LE",     "V2I_FileName_LE",   "V2I_TotalFrame_LE", "V2I_TotalTime_LE",
                                 "V2I_IntervalTime_LE", "V2I_TotalFiles_LE", "V2I_FolderName_LE", "V2I_SavePath_LE"};
constexpr std::array kQualities{100, 90, 80};

QLineEdit *readOnlyEdit(const char *name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    return e;
}

} // namespace

TVid2ImgDlg::TVid2ImgDlg(ToolDialogDeps deps, QWidget *parent) : QDialog(parent), deps_(std::move(deps))
{
    setObjectName(QStringLiteral("TVid2ImgDlg"));
    widgets::frameDialog(*this);
    setModal(true);
    chooseVideo = [this](const QString &start) -> std::optional<QString> {
        const QString path = QFileDialog::getOpenFileName(this, deps_.text(QStringLiteral("TCOM_OpenVideoFile")), start,
                                                          QStringLiteral("Audio Video Interleave  (*.avi)"));
        return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
    };

    for (library::ToolFolder folder : {library::ToolFolder::VideoToBmp, library::ToolFolder::VideoToJpg})
        if (!library::ensureToolFolder(folder, deps_.defListPath))
            deps_.log->append(QStringLiteral("Cannot create ") + library::toolFolderPath(folder, deps_.defListPath));

    for (std::size_t i = 0; i < labels_.size(); ++i)
        labels_[i] = new QLabel(this);
    open_ = new QPushButton(this);
    open_->setObjectName(QStringLiteral("V2I_Open_Btn"));
    openPath_ = readOnlyEdit("V2I_OpenPath_LE", this);
    openPath_->setText(deps_.defListPath[state::kListAvi]);
    openPath_->setMinimumWidth(360);
    fileName_ = readOnlyEdit("V2I_FileName_LE", this);
    totalFrame_ = readOnlyEdit("V2I_TotalFrame_LE", this);
    totalTime_ = readOnlyEdit("V2I_TotalTime_LE", this);
    interval_ = new QLineEdit(QStringLiteral("1"), this);
    interval_->setObjectName(QStringLiteral("V2I_IntervalTime_LE"));
    interval_->setMaxLength(4);
    interval_->setFixedWidth(60);
    unit_ = new QComboBox(this);
    unit_->setObjectName(QStringLiteral("V2I_IntervalTimeUnit_CB"));
    unit_->addItems({QString(), QString(), QString()});
    unit_->setCurrentIndex(kIntervalSeconds);
    totalFilesEdit_ = readOnlyEdit("V2I_TotalFiles_LE", this);
    connect(interval_, &QLineEdit::textEdited, this, &TVid2ImgDlg::onIntervalEdited);
    connect(interval_, &QLineEdit::editingFinished, this, [this] {
        const QString t = interval_->text();
        if (t.isEmpty() || (isDecimalDigits(t) && t.toInt() == 0))
            interval_->setText(QStringLiteral("1"));
        recomputeInterval();
    });
    connect(unit_, &QComboBox::activated, this, [this] { recomputeInterval(); });
    connect(open_, &QPushButton::clicked, this, [this] {
        const QString start = QFileInfo(openPath_->text()).isDir() ? openPath_->text() : deps_.defListPath[state::kListAvi];
        if (const std::optional<QString> path = chooseVideo(start))
            openVideo(*path);
    });

    auto *grid = new QGridLayout;
    grid->addWidget(open_, 0, 0, 1, 3);
    const std::array<QWidget *, 4> infoFields{openPath_, fileName_, totalFrame_, totalTime_};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(labels_[i], i + 1, 0);
        grid->addWidget(infoFields[i], i + 1, 1, 1, 2);
    }
    grid->addWidget(labels_[4], 5, 0);
    grid->addWidget(interval_, 5, 1);
    grid->addWidget(unit_, 5, 2);
    grid->addWidget(labels_[5], 6, 0);
    grid->addWidget(totalFilesEdit_, 6, 1, 1, 2);

    typeBox_ = new QGroupBox(this);
    typeBox_->setObjectName(QStringLiteral("V2I_FileType_RG"));
    type_ = new QButtonGroup(this);
    auto *typeRow = new QHBoxLayout(typeBox_);
    for (int i = 0; i < 2; ++i) {
        auto *b = new QRadioButton(QString::fromLatin1(std::array{"BMP", "JPG"}[i]), typeBox_);
        type_->addButton(b, i);
        typeRow->addWidget(b);
    }
    type_->button(1)->setChecked(true);
    connect(type_, &QButtonGroup::idClicked, this, [this] {
        qualityBox_->setEnabled(jpg());
        regenerateFolder();
    });
    qualityBox_ = new QGroupBox(this);
    qualityBox_->setObjectName(QStringLiteral("V2I_JPG_Quility_RG"));
    auto *qualityRow = new QHBoxLayout(qualityBox_);
    for (int i = 0; i < 3; ++i) {
        quality_[i] = new QRadioButton(qualityBox_);
        qualityRow->addWidget(quality_[i]);
        connect(quality_[i], &QRadioButton::clicked, this, [this, i] { chooseJpegQuality(kQualities[i]); });
    }

    modeBox_ = new QGroupBox(this);
    modeBox_->setObjectName(QStringLiteral("V2I_FolderGenerateMode_RG"));
    mode_ = new QButtonGroup(this);
    auto *modeGrid = new QGridLayout(modeBox_);
    auto *modeRow = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        modeButtons_[i] = new QRadioButton(modeBox_);
        mode_->addButton(modeButtons_[i], i);
        modeRow->addWidget(modeButtons_[i]);
    }
    modeButtons_[kFolderAuto]->setChecked(true);
    connect(mode_, &QButtonGroup::idClicked, this, [this] { regenerateFolder(); });
    folderName_ = new QLineEdit(modeBox_);
    folderName_->setObjectName(QStringLiteral("V2I_FolderName_LE"));
    folderName_->setMaxLength(32);
    connect(folderName_, &QLineEdit::textEdited, this, [this] {
        if (mode_->checkedId() == kFolderKeyIn)
            savePath_->setText(defaultFolder() + u'/' + folderName_->text());
    });
    connect(folderName_, &QLineEdit::editingFinished, this, [this] {
        if (mode_->checkedId() != kFolderKeyIn)
            return;
        const QString name = folderName_->text();
        if (name.isEmpty())
            deps_.showMessage({}, QStringLiteral("PleaseInputFolderName_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"),
                              false, state::kIconError);
        else if (name != toolFolderName() && QFileInfo(savePath_->text()).isDir())
            deps_.showMessage(u'"' + name + u'"', QStringLiteral("FolderNameExisted_MsgBox"),
                              QStringLiteral("AttentionTitle_MsgBox"), false, state::kIconAttention);
    });
    savePath_ = readOnlyEdit("V2I_SavePath_LE", modeBox_);
    savePathButton_ = new QPushButton(modeBox_);
    savePathButton_->setObjectName(QStringLiteral("V2I_SavePath_Btn"));
    connect(savePathButton_, &QPushButton::clicked, this, &TVid2ImgDlg::pickFolder);
    modeGrid->addLayout(modeRow, 0, 0, 1, 3);
    modeGrid->addWidget(labels_[6], 1, 0);
    modeGrid->addWidget(folderName_, 1, 1);
    modeGrid->addWidget(labels_[7], 2, 0);
    modeGrid->addWidget(savePath_, 2, 1);
    modeGrid->addWidget(savePathButton_, 2, 2);

    execute_ = new QPushButton(this);
    execute_->setObjectName(QStringLiteral("V2I_Execute_Btn"));
    execute_->setDefault(true);
    cancel_ = new QPushButton(this);
    cancel_->setObjectName(QStringLiteral("V2I_Cancel_Btn"));
    connect(execute_, &QPushButton::clicked, this, &TVid2ImgDlg::V2I_Execute_BtnClick);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto *options = new QVBoxLayout;
    options->addWidget(typeBox_);
    options->addWidget(qualityBox_);
    options->addStretch();
    auto *top = new QHBoxLayout;
    top->addLayout(grid);
    top->addSpacing(16);
    top->addLayout(options);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(execute_);
    buttons->addWidget(cancel_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(modeBox_);
    layout->addLayout(buttons);

    setVideoPresent(false);
    InfoSet();
    regenerateFolder();
}

bool TVid2ImgDlg::jpg() const { return type_->checkedId() == 1; }

QString TVid2ImgDlg::toolFolderName() const { return jpg() ? QStringLiteral("V2Ijpg") : QStringLiteral("V2Ibmp"); }

QString TVid2ImgDlg::defaultFolder() const { return deps_.defListPath[jpg() ? state::kListJpg : state::kListBmp]; }

void TVid2ImgDlg::InfoSet()
{
    const auto caption = [this](const char *name) { return deps_.text(QString::fromLatin1(name) + QStringLiteral("->Caption")); };
    setWindowTitle(caption("Vid2Img_Tool"));
    open_->setText(caption("V2I_Open_Btn"));
    for (std::size_t i = 0; i < labels_.size(); ++i)
        labels_[i]->setText(caption(kLabelNames[i]));
    const std::array unitKeys{"TCOM_Frame", "TCOM_SS", "TCOM_MM"};
    for (int u = 0; u < 3; ++u)
        unit_->setItemText(u, deps_.text(QString::fromLatin1(unitKeys[u])));
    typeBox_->setTitle(caption("V2I_FileType_RG"));
    qualityBox_->setTitle(caption("V2I_JPG_Quility_RG"));
    const std::array qualityKeys{"NHeight_Q", "NMiddle_Q", "NLow_Q"};
    for (int i = 0; i < 3; ++i)
        quality_[i]->setText(caption(qualityKeys[i]).remove(u'&'));
    modeBox_->setTitle(caption("V2I_FolderGenerateMode_RG"));
    const std::array modeKeys{"TCOM_Auto", "TCOM_Keyin", "TCOM_Assign"};
    for (int i = 0; i < 3; ++i)
        modeButtons_[i]->setText(deps_.text(QString::fromLatin1(modeKeys[i])));
    savePathButton_->setText(caption("V2I_SavePath_Btn"));
    execute_->setText(caption("V2I_Execute_Btn"));
    cancel_->setText(caption("V2I_Cancel_Btn"));
}

void TVid2ImgDlg::showEvent(QShowEvent *event)
{
    InfoSet();
    if (!QFileInfo(openPath_->text()).isDir())
        openPath_->setText(deps_.defListPath[state::kListAvi]);
    setVideoPresent(!videoPath_.isEmpty() && QFileInfo(videoPath_).isFile());
    const int q = currentJpegQuality();
    for (int i = 0; i < 3; ++i)
        quality_[i]->setChecked(kQualities[i] == q);
    qualityBox_->setEnabled(jpg());
    recomputeInterval();
    regenerateFolder();
    QDialog::showEvent(event);
}

void TVid2ImgDlg::setVideoPresent(bool present)
{
    interval_->setEnabled(present);
    unit_->setEnabled(present);
    if (!present) {
        info_ = {};
        totalFrame_->setText(QStringLiteral("0"));
        totalTime_->setText(QStringLiteral("0"));
        totalFilesEdit_->setText(QStringLiteral("0"));
        totalFiles_ = 0;
    }
    execute_->setEnabled(present && totalFiles_ > 0);
}

void TVid2ImgDlg::openVideo(const QString &path)
{
    const QFileInfo file(path);
    const std::optional<platform::AviFrameData> data = file.isFile() && probe ? probe(path) : std::nullopt;
    if (!data) {
        if (file.isFile())
            deps_.log->append(QStringLiteral("V2I cannot read ") + path);
        videoPath_.clear();
        setVideoPresent(false);
        return;
    }
    videoPath_ = file.absoluteFilePath();
    openPath_->setText(file.absolutePath());
    fileName_->setText(file.fileName());
    info_ = videoInfoOf(*data);
    totalFrame_->setText(totalFramesText(info_));
    totalTime_->setText(totalTimeText(info_));
    setVideoPresent(true);
    recomputeInterval();
}

void TVid2ImgDlg::setInterval(int value, int unit)
{
    unit_->setCurrentIndex(std::clamp(unit, 0, 2));
    interval_->setText(QString::number(value));
    recomputeInterval();
}

void TVid2ImgDlg::setOutputType(bool jpgOutput)
{
    type_->button(jpgOutput ? 1 : 0)->setChecked(true);
    qualityBox_->setEnabled(jpgOutput);
    regenerateFolder();
}

void TVid2ImgDlg::setFolderMode(int mode)
{
    if (QAbstractButton *b = mode_->button(mode)) {
        b->setChecked(true);
        regenerateFolder();
    }
}

void TVid2ImgDlg::onIntervalEdited()
{
    const QString t = interval_->text();
    if (!t.isEmpty() && !isDecimalDigits(t)) {
        interval_->setText(QStringLiteral("1"));
        deps_.showMessage({}, QStringLiteral("PleaseInputNumber_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                          state::kIconError);
    }
    recomputeInterval();
}

void TVid2ImgDlg::clampToVideo()
{
    const QString t = interval_->text();
    if (!isDecimalDigits(t))
        return;
    const int clamped = clampInterval(t.toInt(), unit_->currentIndex(), info_);
    if (clamped != t.toInt())
        interval_->setText(QString::number(clamped));
}

void TVid2ImgDlg::recomputeInterval()
{
    clampToVideo();
    const QString t = interval_->text();
    const int value = isDecimalDigits(t) && t.toInt() > 0 ? t.toInt() : 1;
    step_ = stepSeconds(value, unit_->currentIndex(), info_.framesPerSecond);
    totalFiles_ = totalFiles(info_.lengthSeconds, step_);
    totalFilesEdit_->setText(QString::number(totalFiles_));
    execute_->setEnabled(!videoPath_.isEmpty() && totalFiles_ > 0);
}

void TVid2ImgDlg::regenerateFolder()
{
    const int mode = std::max(mode_->checkedId(), 0);
    showFolderMode({folderName_, savePath_, savePathButton_}, mode, defaultFolder(), toolFolderName(),
                   deps_.clock->now(), assignedFolder_);
}

void TVid2ImgDlg::pickFolder()
{
    const std::optional<QString> picked =
        deps_.pickFolder(deps_.text(QStringLiteral("PathOptionInfo_Dlg")), savePath_->text());
    if (!picked || picked->isEmpty())
        return;
    assignedFolder_ = QDir::cleanPath(*picked);
    savePath_->setText(assignedFolder_);
    folderName_->setText(QFileInfo(assignedFolder_).fileName());
}

void TVid2ImgDlg::V2I_Execute_BtnClick()
{
    if (videoPath_.isEmpty() || !QFileInfo(videoPath_).isFile()) {
        videoPath_.clear();
        setVideoPresent(false);
        reject();
        return;
    }
    if (folderName_->text().isEmpty())
        return;
    recomputeInterval();
    if (totalFiles_ <= 0)
        return;
    QString path = savePath_->text();
    if (!QFileInfo(path).isDir() && !QDir().mkpath(path)) {
        deps_.log->append(QStringLiteral("Cannot create ") + path);
        path = defaultFolder() + u'/' + toolFolderName();
        QDir().mkpath(path);
    }
    job_ = {};
    job_.videoPath = videoPath_;
    job_.baseName = QFileInfo(videoPath_).completeBaseName();
    job_.savePath = path;
    job_.jpg = jpg();
    job_.jpegQuality = currentJpegQuality();
    job_.stepSeconds = step_;
    job_.totalFiles = totalFiles_;
    accept();
}

} // namespace tools::ui
