#include "img2viddialog.h"

#include "tools/imagestovideo.h"
#include "tools/timedschedule.h"
#include "tools/toolnaming.h"
#include "library/toolfolders.h"
#include "platform/clock.h"
#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"
#include "state/uiprotocol.h"
#include "widgets/dialogframe.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tools::ui {

namespace {

constexpr QSize kPreviewSize(320, 240);

QLineEdit *readOnlyEdit(const char *name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    return e;
}

} // namespace

TImg2VidDlg::TImg2VidDlg(ToolDialogDeps deps, QWidget *parent) : QDialog(parent), deps_(std::move(deps))
{
    setObjectName(QStringLiteral("TImg2VidDlg"));
    widgets::frameDialog(*this);
    setModal(true);
    player_ = new QTimer(this);
    connect(player_, &QTimer::timeout, this, &TImg2VidDlg::previewStep);

    if (!library::ensureToolFolder(library::ToolFolder::ImagesToVideo, deps_.defListPath))
        deps_.log->append(QStringLiteral("Cannot create ") + defaultSaveFolder());

    const auto label = [this](const char *key) {
        auto *l = new QLabel(this);
        labels_.push_back({l, key});
        return l;
    };
    const auto pushButton = [this](const char *name) {
        auto *b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        buttons_.push_back({b, name});
        return b;
    };
    const auto radioGroup = [this](const char *name, QGroupBox *&box, QButtonGroup *&group,
                                   std::initializer_list<const char *> items, bool keyed) {
        box = new QGroupBox(this);
        box->setObjectName(QString::fromLatin1(name));
        group = new QButtonGroup(this);
        auto *row = new QHBoxLayout(box);
        int id = 0;
        for (const char *item : items) {
            auto *b = new QRadioButton(keyed ? QString() : QString::fromLatin1(item), box);
            if (keyed)
                keyedRadios_.push_back({b, item});
            group->addButton(b, id++);
            row->addWidget(b);
        }
        group->button(0)->setChecked(true);
    };

    // Folders and input type.
    openPath_ = readOnlyEdit("I2V_OpenPath_LE", this);
    openPath_->setText(deps_.defListPath[state::kListJpg]);
    savePath_ = readOnlyEdit("I2V_SavePath_LE", this);
    savePath_->setText(defaultSaveFolder());
    QPushButton *openFolder = pushButton("I2V_OpenFolder_BitBtn");
    QPushButton *saveFolder = pushButton("I2V_SaveFolder_BitBtn");
    QPushButton *reflash = pushButton("I2V_Reflash_BitBtn");
    radioGroup("I2V_FileType_RG", typeBox_, type_, {"BMP", "JPG"}, false);
    type_->button(1)->setChecked(true);
    connect(type_, &QButtonGroup::idClicked, this, [this](int id) {
        if (QFileInfo(deps_.defListPath[id == 1 ? state::kListJpg : state::kListBmp]).isDir()
            && openPath_->text() == deps_.defListPath[id == 1 ? state::kListBmp : state::kListJpg])
            openPath_->setText(deps_.defListPath[id == 1 ? state::kListJpg : state::kListBmp]);
        reloadLists();
    });
    connect(openFolder, &QPushButton::clicked, this, [this] {
        if (const std::optional<QString> picked =
                deps_.pickFolder(deps_.text(QStringLiteral("PathOptionInfo_Dlg")), openPath_->text()))
            setOpenFolder(*picked);
    });
    connect(saveFolder, &QPushButton::clicked, this, [this] {
        if (const std::optional<QString> picked =
                deps_.pickFolder(deps_.text(QStringLiteral("PathOptionInfo_Dlg")), savePath_->text()))
            setSaveFolder(*picked);
    });
    connect(reflash, &QPushButton::clicked, this, &TImg2VidDlg::reloadLists);
    auto *folders = new QGridLayout;
    folders->addWidget(label("I2V_OpenPath_LE"), 0, 0);
    folders->addWidget(openPath_, 0, 1);
    folders->addWidget(openFolder, 0, 2);
    folders->addWidget(label("I2V_SavePath_LE"), 1, 0);
    folders->addWidget(savePath_, 1, 1);
    folders->addWidget(saveFolder, 1, 2);
    folders->addWidget(typeBox_, 0, 3, 2, 1);
    folders->addWidget(reflash, 0, 4, 2, 1);
    folders->setColumnStretch(1, 1);

    // The two lists and the moves between them.
    source_ = new QListWidget(this);
    source_->setObjectName(QStringLiteral("OrgFileList_LB"));
    chosen_ = new QListWidget(this);
    chosen_->setObjectName(QStringLiteral("SelFileList_LB"));
    for (QListWidget *list : {source_, chosen_}) {
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setMinimumSize(180, 240);
        connect(list, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
            if (state_ == kStopped)
                showPicture(item->text());
        });
    }
    connect(source_, &QListWidget::itemDoubleClicked, this, [this] { selectItems(); });
    connect(chosen_, &QListWidget::itemDoubleClicked, this, [this] { unselectItems(); });
    QPushButton *select = pushButton("I2V_Select_BitBtn");
    QPushButton *selectAllButton = pushButton("I2V_SelectAll_BitBtn");
    QPushButton *unselect = pushButton("I2V_Unselect_BitBtn");
    QPushButton *unselectAllButton = pushButton("I2V_UnselectAll_BitBtn");
    connect(select, &QPushButton::clicked, this, &TImg2VidDlg::selectItems);
    connect(selectAllButton, &QPushButton::clicked, this, &TImg2VidDlg::selectAll);
    connect(unselect, &QPushButton::clicked, this, &TImg2VidDlg::unselectItems);
    connect(unselectAllButton, &QPushButton::clicked, this, &TImg2VidDlg::unselectAll);
    auto *moves = new QVBoxLayout;
    moves->addStretch();
    for (QPushButton *b : {select, selectAllButton, unselect, unselectAllButton})
        moves->addWidget(b);
    moves->addStretch();
    totalFiles_ = readOnlyEdit("I2V_TotalFiles_LE", this);
    selectNum_ = readOnlyEdit("I2V_SelectNum_LE", this);
    unselectNum_ = readOnlyEdit("I2V_UnselectNum_LE", this);
    for (QLineEdit *e : {totalFiles_, selectNum_, unselectNum_})
        e->setFixedWidth(60);
    auto *counters = new QHBoxLayout;
    counters->addWidget(label("I2V_TotalFiles_LE"));
    counters->addWidget(totalFiles_);
    counters->addWidget(label("I2V_UnselectNum_LE"));
    counters->addWidget(unselectNum_);
    counters->addWidget(label("I2V_SelectNum_LE"));
    counters->addWidget(selectNum_);
    counters->addStretch();

    // The preview player.
    auto *panel = new QLabel(this);
    panel->setObjectName(QStringLiteral("I2V_Preview_Panel"));
    preview_ = panel;
    preview_->setFixedSize(kPreviewSize);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFrameShape(QFrame::StyledPanel);
    preview_->setStyleSheet(QStringLiteral("background: black"));
    QPushButton *previewButton = pushButton("I2V_Preview_Btn");
    QPushButton *pause = pushButton("I2V_Pause_Btn");
    pause->setCheckable(true);
    QPushButton *stop = pushButton("I2V_Stop_Btn");
    QPushButton *repeat = pushButton("I2V_Repeat_Btn");
    repeat->setCheckable(true);
    connect(previewButton, &QPushButton::clicked, this, &TImg2VidDlg::I2V_Preview_BtnClick);
    connect(pause, &QPushButton::clicked, this, &TImg2VidDlg::I2V_Pause_BtnClick);
    connect(stop, &QPushButton::clicked, this, &TImg2VidDlg::I2V_Stop_BtnClick);
    radioGroup("I2V_Direction_RG", directionBox_, direction_, {"FRW", "REV"}, false);
    connect(direction_, &QButtonGroup::idClicked, this, [this] { showItem(previewIndex_); });
    rate_ = new QSlider(Qt::Horizontal, this);
    rate_->setObjectName(QStringLiteral("I2V_FrameRate_TB"));
    rate_->setRange(kMinFrameRate, kMaxFrameRate);
    rateEdit_ = readOnlyEdit("I2V_FrameRate_LE", this);
    rateEdit_->setFixedWidth(40);
    connect(rate_, &QSlider::valueChanged, this, [this](int fps) {
        rateEdit_->setText(QStringLiteral("%1").arg(fps, 2, 10, QLatin1Char('0')));
        periodMs_ = framePeriodMs(fps);
        if (player_->isActive())
            player_->start(periodMs_);
    });
    rate_->setValue(kDefaultFrameRate);
    rateEdit_->setText(QStringLiteral("%1").arg(kDefaultFrameRate, 2, 10, QLatin1Char('0')));
    auto *playerButtons = new QHBoxLayout;
    for (QPushButton *b : {previewButton, pause, stop, repeat})
        playerButtons->addWidget(b);
    auto *rateRow = new QHBoxLayout;
    rateRow->addWidget(label("I2V_FrameRate_LE"));
    rateRow->addWidget(rate_, 1);
    rateRow->addWidget(rateEdit_);
    auto *previewColumn = new QVBoxLayout;
    previewColumn->addWidget(preview_);
    previewColumn->addLayout(playerButtons);
    previewColumn->addWidget(directionBox_);
    previewColumn->addLayout(rateRow);

    auto *lists = new QHBoxLayout;
    lists->addWidget(source_);
    lists->addLayout(moves);
    lists->addWidget(chosen_);
    lists->addSpacing(12);
    lists->addLayout(previewColumn);

    // Output.
    radioGroup("I2V_Compression_RG", compressionBox_, compression_, {"TCOM_Disable", "TCOM_Enable"}, true);
    compressorBox_ = new QComboBox(this);
    compressorBox_->setObjectName(QStringLiteral("I2V_Compressor_CB"));
    compressorBox_->setEnabled(false);
    compressorBox_->setMinimumContentsLength(18);
    compressorBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    compressionBox_->layout()->addWidget(compressorBox_);
    connect(compression_, &QButtonGroup::idClicked, this, [this](int id) {
        if (id == 1 && compressorBox_->count() == 0)
            fillCompressors();
        compressorBox_->setEnabled(id == 1 && compressorBox_->count() > 0);
    });
    radioGroup("I2V_FileGenerateMode_RG", nameModeBox_, nameMode_, {"TCOM_Auto", "TCOM_Keyin"}, true);
    connect(nameMode_, &QButtonGroup::idClicked, this, [this] { regenerateFileName(); });
    fileName_ = new QLineEdit(this);
    fileName_->setObjectName(QStringLiteral("I2V_FileName_LE"));
    fileName_->setMaxLength(64);
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(label("I2V_FileName_LE"));
    nameRow->addWidget(fileName_, 1);
    nameRow->addWidget(new QLabel(QStringLiteral(".avi"), this));
    auto *output = new QHBoxLayout;
    output->addWidget(compressionBox_);
    output->addWidget(nameModeBox_);
    output->addLayout(nameRow, 1);

    QPushButton *execute = pushButton("I2V_Execute_Btn");
    execute->setDefault(true);
    QPushButton *cancel = pushButton("I2V_Cancel_Btn");
    connect(execute, &QPushButton::clicked, this, &TImg2VidDlg::I2V_Execute_BtnClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttonsRow = new QHBoxLayout;
    buttonsRow->addStretch();
    buttonsRow->addWidget(execute);
    buttonsRow->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(folders);
    layout->addLayout(lists, 1);
    layout->addLayout(counters);
    layout->addLayout(output);
    layout->addLayout(buttonsRow);

    regenerateFileName();
    InfoSet();
    updateCounters();
    updateButtons();
}

QPushButton *TImg2VidDlg::button(const char *name) const
{
    for (const auto &[b, n] : buttons_)
        if (qstrcmp(n, name) == 0)
            return b;
    return nullptr;
}

QString TImg2VidDlg::defaultSaveFolder() const
{
    return library::toolFolderPath(library::ToolFolder::ImagesToVideo, deps_.defListPath);
}

bool TImg2VidDlg::jpg() const { return type_->checkedId() == 1; }
bool TImg2VidDlg::reverse() const { return direction_->checkedId() == 1; }

void TImg2VidDlg::InfoSet()
{
    const auto caption = [this](const char *name) { return deps_.text(QString::fromLatin1(name) + QStringLiteral("->Caption")); };
    setWindowTitle(caption("Img2Vid_Tool"));
    for (const auto &[l, key] : labels_)
        l->setText(caption(key));
    for (const auto &[b, key] : buttons_)
        b->setText(caption(key));
    for (const auto &[r, key] : keyedRadios_)
        r->setText(deps_.text(QString::fromLatin1(key)));
    typeBox_->setTitle(caption("I2V_FileType_RG"));
    directionBox_->setTitle(caption("I2V_Direction_RG"));
    compressionBox_->setTitle(caption("I2V_Compression_RG"));
    nameModeBox_->setTitle(caption("I2V_FileGenerateMode_RG"));
}

void TImg2VidDlg::showEvent(QShowEvent *event)
{
    InfoSet();
    stopPlayer();
    periodMs_ = framePeriodMs(rate_->value());
    if (!QFileInfo(openPath_->text()).isDir())
        openPath_->setText(deps_.defListPath[jpg() ? state::kListJpg : state::kListBmp]);
    if (!QFileInfo(savePath_->text()).isDir()) {
        QDir().mkpath(defaultSaveFolder());
        savePath_->setText(defaultSaveFolder());
    }
    if (nameMode_->checkedId() == 0)
        regenerateFileName();
    reloadLists();
    QDialog::showEvent(event);
}

void TImg2VidDlg::hideEvent(QHideEvent *event)
{
    // Cancel or Execute: the preview ends with the dialog.
    player_->stop();
    state_ = kStopped;
    QDialog::hideEvent(event);
}

void TImg2VidDlg::setOpenFolder(const QString &folder)
{
    openPath_->setText(QDir::cleanPath(folder));
    reloadLists();
}

void TImg2VidDlg::setSaveFolder(const QString &folder) { savePath_->setText(QDir::cleanPath(folder)); }

void TImg2VidDlg::setInputType(bool jpgInput)
{
    type_->button(jpgInput ? 1 : 0)->setChecked(true);
    reloadLists();
}

void TImg2VidDlg::setFrameRate(int fps) { rate_->setValue(fps); }
void TImg2VidDlg::setReverse(bool on)
{
    direction_->button(on ? 1 : 0)->setChecked(true);
    showItem(previewIndex_);
}
void TImg2VidDlg::setRepeat(bool on) { button("I2V_Repeat_Btn")->setChecked(on); }
void TImg2VidDlg::setCompression(bool on)
{
    compression_->button(on ? 1 : 0)->click();
}
void TImg2VidDlg::setFileNameMode(int mode)
{
    nameMode_->button(mode == 1 ? 1 : 0)->setChecked(true);
    regenerateFileName();
}

void TImg2VidDlg::fillCompressors()
{
    compressorBox_->clear();
    const std::vector<platform::CompressorInfo> list = listCompressors();
    int preferred = -1;
    for (const platform::CompressorInfo &c : list) {
        compressorBox_->addItem(c.name, c.factory);
        // An MPEG-4 part 2 encoder is what such files usually carry.
        if (preferred < 0 && c.factory.contains(QStringLiteral("mpeg4")) && !c.factory.contains(QStringLiteral("msmpeg")))
            preferred = compressorBox_->count() - 1;
    }
    if (preferred >= 0)
        compressorBox_->setCurrentIndex(preferred);
}

void TImg2VidDlg::regenerateFileName()
{
    const bool keyIn = nameMode_->checkedId() == 1;
    fileName_->setReadOnly(!keyIn);
    fileName_->setText(keyIn ? QStringLiteral("I2Vvid") : autoName(QStringLiteral("I2Vvid"), deps_.clock->now()));
}

void TImg2VidDlg::reloadLists()
{
    stopPlayer();
    source_->clear();
    chosen_->clear();
    preview_->clear();
    source_->addItems(listPictures(openPath_->text(), jpg()));
    if (source_->count() > 0)
        source_->setCurrentRow(0);
    previewIndex_ = 0;
    updateCounters();
    updateButtons();
}

void TImg2VidDlg::moveRows(QListWidget *from, QListWidget *to, bool all)
{
    QList<int> rows;
    if (all) {
        for (int i = 0; i < from->count(); ++i)
            rows.append(i);
    } else {
        const QList<QListWidgetItem *> selected = from->selectedItems();
        if (selected.size() > 1) {
            for (QListWidgetItem *item : selected)
                rows.append(from->row(item));
        } else if (from->currentRow() >= 0) {
            rows.append(from->currentRow());
        }
    }
    std::sort(rows.begin(), rows.end());
    QStringList names;
    for (int row : rows)
        names.append(from->item(row)->text());
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        delete from->takeItem(*it);
    to->addItems(names);
    if (from->count() > 0 && from->currentRow() < 0)
        from->setCurrentRow(0);
    updateCounters();
    updateButtons();
}

void TImg2VidDlg::selectItems() { moveRows(source_, chosen_, false); }
void TImg2VidDlg::selectAll() { moveRows(source_, chosen_, true); }
void TImg2VidDlg::unselectItems() { moveRows(chosen_, source_, false); }
void TImg2VidDlg::unselectAll() { moveRows(chosen_, source_, true); }

void TImg2VidDlg::updateCounters()
{
    totalFiles_->setText(QString::number(source_->count() + chosen_->count()));
    selectNum_->setText(QString::number(chosen_->count()));
    unselectNum_->setText(QString::number(source_->count()));
}

void TImg2VidDlg::updateButtons()
{
    const bool stopped = state_ == kStopped;
    const bool haveSource = source_->count() > 0, haveChosen = chosen_->count() > 0;
    button("I2V_Select_BitBtn")->setEnabled(haveSource && stopped);
    button("I2V_SelectAll_BitBtn")->setEnabled(haveSource && stopped);
    button("I2V_Unselect_BitBtn")->setEnabled(haveChosen && stopped);
    button("I2V_UnselectAll_BitBtn")->setEnabled(haveChosen && stopped);
    button("I2V_Preview_Btn")->setEnabled(haveChosen && state_ != kPlaying);
    button("I2V_Stop_Btn")->setEnabled(haveChosen && !stopped);
    button("I2V_Execute_Btn")->setEnabled(haveChosen);
    QPushButton *pause = button("I2V_Pause_Btn");
    pause->setEnabled(state_ == kPlaying);
    pause->setChecked(state_ != kPlaying);
}

void TImg2VidDlg::showPicture(const QString &name)
{
    const platform::DecodedPicture p = platform::readPictureFile(QDir(openPath_->text()).filePath(name), kPreviewSize);
    if (!p.ok()) {
        preview_->clear();
        return;
    }
    preview_->setPixmap(QPixmap::fromImage(p.bitmap.image()).scaled(kPreviewSize, Qt::KeepAspectRatio,
                                                                    Qt::SmoothTransformation));
}

void TImg2VidDlg::showItem(int index)
{
    if (index < 0 || index >= chosen_->count())
        return;
    previewIndex_ = index;
    chosen_->setCurrentRow(index);
    showPicture(chosen_->item(index)->text());
}

void TImg2VidDlg::I2V_Preview_BtnClick()
{
    if (chosen_->count() == 0 || state_ == kPlaying)
        return;
    if (state_ == kStopped)
        previewIndex_ = startIndex(chosen_->count(), reverse());
    state_ = kPlaying;
    showItem(previewIndex_);
    player_->start(periodMs_);
    updateButtons();
}

void TImg2VidDlg::I2V_Pause_BtnClick()
{
    if (state_ != kPlaying)
        return;
    player_->stop();
    state_ = kPaused;
    updateButtons();
}

void TImg2VidDlg::stopPlayer()
{
    player_->stop();
    state_ = kStopped;
    updateButtons();
}

void TImg2VidDlg::I2V_Stop_BtnClick()
{
    stopPlayer();
    previewIndex_ = startIndex(chosen_->count(), reverse());
    showItem(previewIndex_);
}

void TImg2VidDlg::previewStep()
{
    const std::optional<int> next =
        nextIndex(previewIndex_, chosen_->count(), reverse(), button("I2V_Repeat_Btn")->isChecked());
    if (!next) {
        I2V_Stop_BtnClick();
        return;
    }
    showItem(*next);
}

void TImg2VidDlg::I2V_Execute_BtnClick()
{
    if (state_ != kStopped)
        stopPlayer();
    if (chosen_->count() == 0)
        return;
    const QString name = fileName_->text().trimmed();
    if (name.isEmpty()) {
        deps_.showMessage({}, QStringLiteral("PleaseInputFolderName_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                          state::kIconError);
        return;
    }
    QString folder = savePath_->text();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        deps_.log->append(QStringLiteral("Cannot create ") + folder);
        folder = defaultSaveFolder();
        QDir().mkpath(folder);
        savePath_->setText(folder);
    }
    QStringList chosen;
    for (int i = 0; i < chosen_->count(); ++i)
        chosen.append(chosen_->item(i)->text());
    // The pictures may have gone since they were listed.
    if (!QFileInfo(QDir(openPath_->text()).filePath(chosen.at(startIndex(int(chosen.size()), reverse())))).isFile()) {
        reloadLists();
        reject();
        return;
    }
    // Told now, not at the writer's first frame: the dialog stays open to choose other pictures.
    if (const std::optional<UnfitPicture> unfit = unfitFirstPicture(openPath_->text(), chosen, reverse())) {
        if (deps_.showMessageWith)
            deps_.showMessageWith(QStringLiteral("VideoPictureSize_MsgBox"),
                                  {unfit->name, QString::number(unfit->size.width()), QString::number(unfit->size.height()),
                                   QString::number(kMinVideoSide), QString::number(kMaxVideoSide)},
                                  QStringLiteral("ErrorTitle_MsgBox"), false, state::kIconError);
        return;
    }
    const QString output = QDir(folder).filePath(name + QStringLiteral(".avi"));
    // An older file is replaced only when the user says so; Cancel keeps the dialog open.
    if (QFileInfo::exists(output)
        && deps_.showMessage(u'"' + QFileInfo(output).fileName() + QStringLiteral("\" "),
                             QStringLiteral("FileNameExisted_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                             state::kIconAttention)
               != state::kResultOk)
        return;
    job_ = {};
    job_.folder = openPath_->text();
    job_.chosen = chosen;
    job_.reverse = reverse();
    job_.outputPath = output;
    job_.framePeriodMs = periodMs_ > 0 ? periodMs_ : framePeriodMs(rate_->value());
    if (compression_->checkedId() == 1)
        job_.compressor = compressorBox_->currentData().toString();
    accept();
}

} // namespace tools::ui
