#include "timingcapdialog.h"

#include "folderfields.h"

#include "tools/toolnaming.h"
#include "library/toolfolders.h"
#include "platform/clock.h"
#include "platform/diagnosticslog.h"
#include "state/uiprotocol.h"
#include "widgets/dialogframe.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
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

constexpr std::array kFieldNames{"TC_StartTime_LE", "TC_IntervalTime_LE", "TC_FilesNumber_LE", "TC_RecordTime_LE"};
constexpr std::array kFieldDefaults{"0", "1", "1", "10"};
constexpr std::array kFields{ScheduleField::StartTime, ScheduleField::Interval, ScheduleField::FilesNumber,
                             ScheduleField::RecordTime};
constexpr std::array kToolFolders{library::ToolFolder::TimedBmp, library::ToolFolder::TimedJpg,
                                  library::ToolFolder::TimedAvi};
constexpr std::array kToolNames{"TCbmp", "TCjpg", "TCavi"};
constexpr std::array kQualities{100, 90, 80};

int slotOf(ScheduleField f)
{
    for (std::size_t i = 0; i < kFields.size(); ++i)
        if (kFields[i] == f)
            return int(i);
    return -1;
}

} // namespace

TTimingCapDlg::TTimingCapDlg(ToolDialogDeps deps, QWidget *parent) : QDialog(parent), deps_(std::move(deps))
{
    setObjectName(QStringLiteral("TTimingCapDlg"));
    widgets::frameDialog(*this);
    setModal(true);

    // The tool folders; one that cannot be made is logged and the dialog falls back at Execute.
    for (library::ToolFolder folder : kToolFolders)
        if (!library::ensureToolFolder(folder, deps_.defListPath))
            deps_.log->append(QStringLiteral("Cannot create ") + library::toolFolderPath(folder, deps_.defListPath));

    auto *times = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        labels_[i] = new QLabel(this);
        fields_[i] = new QLineEdit(QString::fromLatin1(kFieldDefaults[i]), this);
        fields_[i]->setObjectName(QString::fromLatin1(kFieldNames[i]));
        fields_[i]->setMaxLength(4);
        fields_[i]->setFixedWidth(60);
        labels_[i]->setBuddy(fields_[i]);
        times->addWidget(labels_[i], i, 0);
        times->addWidget(fields_[i], i, 1);
        const ScheduleField f = kFields[i];
        connect(fields_[i], &QLineEdit::textEdited, this, [this, f] { onFieldEdited(f); });
        connect(fields_[i], &QLineEdit::editingFinished, this, [this, f] { onFieldFinished(f); });
    }
    const std::array unitNames{"TC_StartTimeUnit_CB", "TC_IntervalTimeUnit_CB", "TC_RecordTimeUnit_CB"};
    const std::array unitRows{0, 1, 3};
    for (int i = 0; i < 3; ++i) {
        units_[i] = new QComboBox(this);
        units_[i]->setObjectName(QString::fromLatin1(unitNames[i]));
        units_[i]->addItems({QString(), QString(), QString()});
        times->addWidget(units_[i], unitRows[i], 2);
        connect(units_[i], &QComboBox::activated, this, [this] { recomputeTotal(); });
    }
    totalLabel_ = labels_[4] = new QLabel(this);
    total_ = new QLineEdit(this);
    total_->setObjectName(QStringLiteral("TC_TotalTime_LE"));
    total_->setReadOnly(true);
    times->addWidget(totalLabel_, 4, 0);
    times->addWidget(total_, 4, 1, 1, 2);

    typeBox_ = new QGroupBox(this);
    typeBox_->setObjectName(QStringLiteral("TC_FileType_RG"));
    type_ = new QButtonGroup(this);
    auto *typeRow = new QHBoxLayout(typeBox_);
    for (int i = 0; i < 3; ++i) {
        auto *b = new QRadioButton(QString::fromLatin1(std::array{"BMP", "JPG", "AVI"}[i]), typeBox_);
        type_->addButton(b, i);
        typeRow->addWidget(b);
    }
    type_->button(kCaptureJpg)->setChecked(true);
    connect(type_, &QButtonGroup::idClicked, this, [this](int) {
        recomputeTotal();
        regenerateFolder();
    });

    qualityBox_ = new QGroupBox(this);
    qualityBox_->setObjectName(QStringLiteral("TC_JPG_Quility_RG"));
    auto *qualityRow = new QHBoxLayout(qualityBox_);
    for (int i = 0; i < 3; ++i) {
        quality_[i] = new QRadioButton(qualityBox_);
        qualityRow->addWidget(quality_[i]);
        connect(quality_[i], &QRadioButton::clicked, this, [this, i] { chooseJpegQuality(kQualities[i]); });
    }
    saveScale_ = new QCheckBox(this);
    saveScale_->setObjectName(QStringLiteral("TC_SaveScale_CB"));
    connect(saveScale_, &QCheckBox::toggled, this, [this](bool on) { schedule_.settings().saveScale = on; });
    compressor_ = new QPushButton(this);
    compressor_->setObjectName(QStringLiteral("TC_Compression_Btn"));
    connect(compressor_, &QPushButton::clicked, this, [this] { chooseCompressor(); });

    modeBox_ = new QGroupBox(this);
    modeBox_->setObjectName(QStringLiteral("TC_FolderGenerateMode_RG"));
    mode_ = new QButtonGroup(this);
    auto *modeLayout = new QGridLayout(modeBox_);
    auto *modeRow = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        modeButtons_[i] = new QRadioButton(modeBox_);
        mode_->addButton(modeButtons_[i], i);
        modeRow->addWidget(modeButtons_[i]);
    }
    modeButtons_[kFolderAuto]->setChecked(true);
    connect(mode_, &QButtonGroup::idClicked, this, [this](int) { regenerateFolder(); });
    folderNameLabel_ = new QLabel(modeBox_);
    folderName_ = new QLineEdit(modeBox_);
    folderName_->setObjectName(QStringLiteral("TC_FolderName_LE"));
    folderName_->setMaxLength(32);
    connect(folderName_, &QLineEdit::textEdited, this, [this] { onFolderNameEdited(); });
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
    savePathLabel_ = new QLabel(modeBox_);
    savePath_ = new QLineEdit(modeBox_);
    savePath_->setObjectName(QStringLiteral("TC_SavePath_LE"));
    savePath_->setReadOnly(true);
    savePath_->setMinimumWidth(360);
    savePathButton_ = new QPushButton(modeBox_);
    savePathButton_->setObjectName(QStringLiteral("TC_SavePath_Btn"));
    connect(savePathButton_, &QPushButton::clicked, this, &TTimingCapDlg::pickFolder);
    modeLayout->addLayout(modeRow, 0, 0, 1, 3);
    modeLayout->addWidget(folderNameLabel_, 1, 0);
    modeLayout->addWidget(folderName_, 1, 1);
    modeLayout->addWidget(savePathLabel_, 2, 0);
    modeLayout->addWidget(savePath_, 2, 1);
    modeLayout->addWidget(savePathButton_, 2, 2);

    execute_ = new QPushButton(this);
    execute_->setObjectName(QStringLiteral("TC_Execute_Btn"));
    execute_->setDefault(true);
    cancel_ = new QPushButton(this);
    cancel_->setObjectName(QStringLiteral("TC_Cancel_Btn"));
    connect(execute_, &QPushButton::clicked, this, &TTimingCapDlg::TC_Execute_BtnClick);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto *options = new QVBoxLayout;
    options->addWidget(typeBox_);
    options->addWidget(qualityBox_);
    options->addWidget(saveScale_);
    options->addWidget(compressor_);
    options->addStretch();
    auto *top = new QHBoxLayout;
    top->addLayout(times);
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

    // Both copies start zeroed; the fields' defaults go into the settings copy.
    for (ScheduleField f : kFields)
        onFieldFinished(f);
    InfoSet();
    regenerateFolder();
}

QLineEdit *TTimingCapDlg::field(ScheduleField f) const
{
    const int i = slotOf(f);
    return i < 0 ? nullptr : fields_[i];
}

QComboBox *TTimingCapDlg::unitBox(ScheduleField f) const
{
    switch (f) {
    case ScheduleField::StartTime:
        return units_[0];
    case ScheduleField::Interval:
        return units_[1];
    case ScheduleField::RecordTime:
        return units_[2];
    default:
        return nullptr;
    }
}

void TTimingCapDlg::setFileType(int type)
{
    if (QAbstractButton *b = type_->button(type)) {
        b->setChecked(true);
        recomputeTotal();
        regenerateFolder();
    }
}

void TTimingCapDlg::setFolderMode(int mode)
{
    if (QAbstractButton *b = mode_->button(mode)) {
        b->setChecked(true);
        regenerateFolder();
    }
}

QString TTimingCapDlg::unitText(int unit) const
{
    static constexpr std::array keys{"TCOM_SS", "TCOM_MM", "TCOM_HH"};
    return deps_.text(QString::fromLatin1(keys[std::clamp(unit, 0, 2)]));
}

void TTimingCapDlg::InfoSet()
{
    const auto caption = [this](const char *name) { return deps_.text(QString::fromLatin1(name) + QStringLiteral("->Caption")); };
    setWindowTitle(caption("TimingCapture_Tool"));
    for (int i = 0; i < 4; ++i)
        labels_[i]->setText(caption(kFieldNames[i]));
    totalLabel_->setText(caption("TC_TotalTime_LE"));
    for (QComboBox *box : units_)
        for (int u = 0; u < 3; ++u)
            box->setItemText(u, unitText(u));
    typeBox_->setTitle(caption("TC_FileType_RG"));
    qualityBox_->setTitle(caption("TC_JPG_Quility_RG"));
    const std::array qualityKeys{"NHeight_Q", "NMiddle_Q", "NLow_Q"};
    for (int i = 0; i < 3; ++i)
        quality_[i]->setText(caption(qualityKeys[i]).remove(u'&'));
    saveScale_->setText(caption("TC_SaveScale_CB"));
    compressor_->setText(caption("TC_Compression_Btn"));
    modeBox_->setTitle(caption("TC_FolderGenerateMode_RG"));
    const std::array modeKeys{"TCOM_Auto", "TCOM_Keyin", "TCOM_Assign"};
    for (int i = 0; i < 3; ++i)
        modeButtons_[i]->setText(deps_.text(QString::fromLatin1(modeKeys[i])));
    folderNameLabel_->setText(caption("TC_FolderName_LE"));
    savePathLabel_->setText(caption("TC_SavePath_LE"));
    savePathButton_->setText(caption("TC_SavePath_Btn"));
    execute_->setText(caption("TC_Execute_Btn"));
    cancel_->setText(caption("TC_Cancel_Btn"));
}

void TTimingCapDlg::showEvent(QShowEvent *event)
{
    InfoSet();
    // The quality group follows the main window's menu.
    const int q = currentJpegQuality();
    for (int i = 0; i < 3; ++i)
        quality_[i]->setChecked(kQualities[i] == q);
    recomputeTotal();
    regenerateFolder();
    QDialog::showEvent(event);
}

void TTimingCapDlg::onFieldEdited(ScheduleField f)
{
    QLineEdit *edit = field(f);
    const QString typed = edit->text();
    // Letters are refused at once; an empty or zero field is settled when the user leaves it,
    // so that typing over a value does not put the default back under the cursor.
    if (!typed.isEmpty() && !isDecimalDigits(typed)) {
        const FieldCheck c = checkScheduleField(f, typed);
        edit->setText(c.text);
        deps_.showMessage({}, QStringLiteral("PleaseInputNumber_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                          state::kIconError);
    }
    recomputeTotal();
}

void TTimingCapDlg::onFieldFinished(ScheduleField f)
{
    QLineEdit *edit = field(f);
    const FieldCheck c = checkScheduleField(f, edit->text());
    if (c.text != edit->text())
        edit->setText(c.text);
    recomputeTotal();
}

void TTimingCapDlg::recomputeTotal()
{
    if (updating_)
        return;
    updating_ = true;
    ScheduleRecord &r = schedule_.settings();
    const auto value = [this](ScheduleField f) {
        const QString t = field(f)->text();
        return t.isEmpty() || !isDecimalDigits(t) ? checkScheduleField(f, QString()).value : t.toInt();
    };
    r.fileType = std::max(type_->checkedId(), 0);
    r.startTime = value(ScheduleField::StartTime);
    r.interval = std::max(value(ScheduleField::Interval), 1);
    r.filesNumber = std::max(value(ScheduleField::FilesNumber), 1);
    r.recordTime = std::max(value(ScheduleField::RecordTime), 1);
    r.startUnit = units_[0]->currentIndex();
    r.intervalUnit = units_[1]->currentIndex();
    r.recordUnit = units_[2]->currentIndex();
    r.totalFigure = totalFigure(r);
    r.totalSeconds = totalSecondsOf(r);
    total_->setText(totalFigureText(r, unitText(totalUnit(r))));
    const bool avi = r.isAvi();
    field(ScheduleField::RecordTime)->setEnabled(avi);
    units_[2]->setEnabled(avi);
    compressor_->setVisible(avi);
    compressor_->setEnabled(avi);
    qualityBox_->setVisible(!avi);
    qualityBox_->setEnabled(r.fileType == kCaptureJpg);
    // Checked last: every recomputation clears it.
    saveScale_->setChecked(false);
    r.saveScale = false;
    saveScale_->setEnabled(!avi && scaleBurnInAvailable());
    updating_ = false;
}

QString TTimingCapDlg::toolFolderName() const
{
    return QString::fromLatin1(kToolNames[std::clamp(type_->checkedId(), 0, 2)]);
}

QString TTimingCapDlg::defaultFolder() const { return deps_.defListPath[std::clamp(type_->checkedId(), 0, 2)]; }

void TTimingCapDlg::regenerateFolder()
{
    const int mode = std::max(mode_->checkedId(), 0);
    schedule_.settings().folderMode = mode;
    showFolderMode({folderName_, savePath_, savePathButton_}, mode, defaultFolder(), toolFolderName(),
                   deps_.clock->now(), assignedFolder_);
    schedule_.settings().savePath = savePath_->text();
}

void TTimingCapDlg::onFolderNameEdited()
{
    if (mode_->checkedId() != kFolderKeyIn)
        return;
    savePath_->setText(defaultFolder() + u'/' + folderName_->text());
    schedule_.settings().savePath = savePath_->text();
}

void TTimingCapDlg::pickFolder()
{
    const std::optional<QString> picked =
        deps_.pickFolder(deps_.text(QStringLiteral("PathOptionInfo_Dlg")), savePath_->text());
    if (!picked || picked->isEmpty())
        return;
    assignedFolder_ = QDir::cleanPath(*picked);
    savePath_->setText(assignedFolder_);
    folderName_->setText(QFileInfo(assignedFolder_).fileName());
    schedule_.settings().savePath = assignedFolder_;
}

void TTimingCapDlg::TC_Execute_BtnClick()
{
    const bool withScale = saveScale_->isChecked();
    for (ScheduleField f : kFields)
        onFieldFinished(f);
    saveScale_->setChecked(withScale && saveScale_->isEnabled());
    if (folderName_->text().isEmpty())
        return;
    QString path = savePath_->text();
    if (!QFileInfo(path).isDir() && !QDir().mkpath(path)) {
        deps_.log->append(QStringLiteral("Cannot create ") + path);
        path = defaultFolder() + u'/' + toolFolderName();
        QDir().mkpath(path);
    }
    ScheduleRecord &r = schedule_.settings();
    r.savePath = path;
    r.saveScale = saveScale_->isChecked();
    schedule_.arm();
    accept();
}

} // namespace tools::ui
