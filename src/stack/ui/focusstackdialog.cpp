#include "focusstackdialog.h"

#include "stack/depthcolours.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace stack::ui {

namespace {

constexpr int kPreviewWidth = 320;
constexpr int kPreviewHeight = 240;

QLabel *previewLabel()
{
    auto *l = new QLabel;
    l->setFixedSize(kPreviewWidth, kPreviewHeight);
    l->setAlignment(Qt::AlignCenter);
    l->setFrameShape(QFrame::StyledPanel);
    return l;
}

// The false-colour key of the depth map: one swatch a frame, numbered from the first frame.
QPixmap legend(int frames)
{
    QPixmap pixmap(kPreviewWidth, 18);
    pixmap.fill(Qt::white);
    if (frames < 1)
        return pixmap;
    QPainter p(&pixmap);
    const double w = double(kPreviewWidth) / frames;
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    for (int i = 0; i < frames; ++i) {
        const QRectF cell(i * w, 0, w, 18);
        const QColor c = depthColour(i, frames);
        p.fillRect(cell, c);
        if (w >= 14) {
            p.setPen(c.lightness() > 140 ? Qt::black : Qt::white);
            p.drawText(cell, Qt::AlignCenter, QString::number(i + 1));
        }
    }
    return pixmap;
}

} // namespace

FocusStackDialog::FocusStackDialog(std::function<QString(const QString &)> text, QWidget *parent)
    : QDialog(parent), text_(std::move(text))
{
    setModal(false);
    sourceBox_ = new QGroupBox;
    fromLive_ = new QRadioButton;
    onSpace_ = new QRadioButton;
    every_ = new QRadioButton;
    interval_ = new QSpinBox;
    interval_->setRange(100, 60000);
    interval_->setSingleStep(100);
    interval_->setValue(500);
    msLabel_ = new QLabel;
    start_ = new QPushButton;
    stop_ = new QPushButton;
    framesLabel_ = new QLabel;
    fromFolder_ = new QRadioButton;
    folder_ = new QLineEdit;
    folder_->setReadOnly(true);
    chooseFolder_ = new QPushButton;
    picturesLabel_ = new QLabel;
    depth_ = new QCheckBox;
    stack_ = new QPushButton;
    cancel_ = new QPushButton;
    close_ = new QPushButton;
    progress_ = new QProgressBar;
    progress_->setRange(0, 1);
    progress_->setValue(0);
    status_ = new QLabel;
    status_->setWordWrap(true);
    resultTitle_ = new QLabel;
    sharpestTitle_ = new QLabel;
    depthTitle_ = new QLabel;
    result_ = previewLabel();
    sharpest_ = previewLabel();
    depthView_ = previewLabel();
    depthLegend_ = new QLabel;
    // Two choices in one box: each pair is exclusive on its own.
    for (const auto &pair : {std::pair{fromLive_, fromFolder_}, std::pair{onSpace_, every_}}) {
        auto *group = new QButtonGroup(this);
        group->addButton(pair.first);
        group->addButton(pair.second);
    }
    fromLive_->setChecked(true);
    onSpace_->setChecked(true);
    // Space takes a frame: no button may take the keyboard focus and swallow it as a click.
    for (QWidget *w : std::initializer_list<QWidget *>{fromLive_, onSpace_, every_, interval_, start_, stop_, fromFolder_,
                                                       folder_, chooseFolder_, depth_, stack_, cancel_, close_})
        w->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::StrongFocus);

    auto *live = new QGridLayout;
    live->addWidget(fromLive_, 0, 0, 1, 4);
    live->addWidget(onSpace_, 1, 1, 1, 3);
    live->addWidget(every_, 2, 1);
    live->addWidget(interval_, 2, 2);
    live->addWidget(msLabel_, 2, 3);
    auto *liveButtons = new QHBoxLayout;
    liveButtons->addWidget(start_);
    liveButtons->addWidget(stop_);
    liveButtons->addWidget(framesLabel_, 1);
    live->addLayout(liveButtons, 3, 1, 1, 3);
    live->addWidget(fromFolder_, 4, 0, 1, 4);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(chooseFolder_);
    live->addLayout(folderRow, 5, 1, 1, 3);
    live->addWidget(picturesLabel_, 6, 1, 1, 3);
    live->setColumnMinimumWidth(0, 16);
    sourceBox_->setLayout(live);

    auto *previews = new QGridLayout;
    previews->addWidget(resultTitle_, 0, 0);
    previews->addWidget(sharpestTitle_, 0, 1);
    previews->addWidget(depthTitle_, 0, 2);
    previews->addWidget(result_, 1, 0);
    previews->addWidget(sharpest_, 1, 1);
    previews->addWidget(depthView_, 1, 2);
    previews->addWidget(depthLegend_, 2, 2);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(depth_);
    buttons->addStretch(1);
    buttons->addWidget(stack_);
    buttons->addWidget(cancel_);
    buttons->addWidget(close_);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sourceBox_);
    layout->addLayout(buttons);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addLayout(previews);

    connect(start_, &QPushButton::clicked, this, &FocusStackDialog::startLiveRequested);
    connect(stop_, &QPushButton::clicked, this, &FocusStackDialog::stopLiveRequested);
    connect(chooseFolder_, &QPushButton::clicked, this, &FocusStackDialog::chooseFolderRequested);
    connect(stack_, &QPushButton::clicked, this, &FocusStackDialog::stackFolderRequested);
    connect(cancel_, &QPushButton::clicked, this, &FocusStackDialog::cancelRequested);
    connect(close_, &QPushButton::clicked, this, &FocusStackDialog::reject);
    for (QRadioButton *r : {fromLive_, fromFolder_, onSpace_, every_})
        connect(r, &QRadioButton::toggled, this, [this] { updateEnabled(); });
    clearResults();
    applyTexts();
    updateEnabled();
}

FocusStackDialog::~FocusStackDialog() = default;

void FocusStackDialog::applyTexts()
{
    setWindowTitle(text_(QStringLiteral("FS_Title_Dlg")));
    sourceBox_->setTitle(text_(QStringLiteral("FS_Source_GB")));
    fromLive_->setText(text_(QStringLiteral("FS_FromLive_RB")));
    onSpace_->setText(text_(QStringLiteral("FS_OnSpace_RB")));
    every_->setText(text_(QStringLiteral("FS_Every_RB")));
    msLabel_->setText(text_(QStringLiteral("FS_Ms_Lab")));
    start_->setText(text_(QStringLiteral("FS_Start_Btn")));
    stop_->setText(text_(QStringLiteral("FS_Stop_Btn")));
    fromFolder_->setText(text_(QStringLiteral("FS_FromFolder_RB")));
    chooseFolder_->setText(text_(QStringLiteral("FS_Folder_Btn")));
    depth_->setText(text_(QStringLiteral("FS_DepthMap_CB")));
    stack_->setText(text_(QStringLiteral("FS_Stack_Btn")));
    cancel_->setText(text_(QStringLiteral("FS_Cancel_Btn")));
    close_->setText(text_(QStringLiteral("CloseBtn_Dlg")));
    resultTitle_->setText(text_(QStringLiteral("FS_Result_Lab")));
    sharpestTitle_->setText(text_(QStringLiteral("FS_Sharpest_Lab")));
    depthTitle_->setText(text_(QStringLiteral("FS_Depth_Lab")));
    framesLabel_->setText(text_(QStringLiteral("FS_Frames_Lab")) + u' ' + QString::number(frames_));
    picturesLabel_->setText(folder_->text().isEmpty() ? QString()
                                                      : QString::number(folderPictures_) + u' '
                                                            + text_(QStringLiteral("FS_Pictures_Lab")));
    status_->setText(statusText());
}

bool FocusStackDialog::fromLive() const { return fromLive_->isChecked(); }
void FocusStackDialog::setFromLive(bool live) { (live ? fromLive_ : fromFolder_)->setChecked(true); }
bool FocusStackDialog::onSpacePress() const { return onSpace_->isChecked(); }
void FocusStackDialog::setOnSpacePress(bool onSpace) { (onSpace ? onSpace_ : every_)->setChecked(true); }
int FocusStackDialog::intervalMs() const { return interval_->value(); }
void FocusStackDialog::setIntervalMs(int ms) { interval_->setValue(ms); }
bool FocusStackDialog::depthMap() const { return depth_->isChecked(); }
void FocusStackDialog::setDepthMap(bool on) { depth_->setChecked(on); }
QString FocusStackDialog::folder() const { return folder_->text(); }

void FocusStackDialog::setFolder(const QString &folder, int pictures)
{
    folder_->setText(folder);
    folderPictures_ = pictures;
    applyTexts();
    updateEnabled();
}

void FocusStackDialog::setPhase(Phase phase)
{
    phase_ = phase;
    if (phase == Phase::Idle)
        progress_->setValue(0);
    updateEnabled();
}

void FocusStackDialog::setFrameCount(int frames)
{
    frames_ = frames;
    framesLabel_->setText(text_(QStringLiteral("FS_Frames_Lab")) + u' ' + QString::number(frames));
}

void FocusStackDialog::setProgress(int done, int total)
{
    progress_->setRange(0, std::max(total, 1));
    progress_->setValue(std::clamp(done, 0, std::max(total, 1)));
}

void FocusStackDialog::setStatus(const QString &key, const QString &detail)
{
    statusKey_ = key;
    statusDetail_ = detail;
    status_->setText(statusText());
}

QString FocusStackDialog::statusText() const
{
    if (statusKey_.isEmpty())
        return statusDetail_;
    return statusDetail_.isEmpty() ? text_(statusKey_) : text_(statusKey_) + u' ' + statusDetail_;
}

QPixmap FocusStackDialog::preview(const platform::Bitmap &picture)
{
    if (picture.isNull())
        return {};
    return QPixmap::fromImage(picture.image().scaled(kPreviewWidth, kPreviewHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void FocusStackDialog::showResults(const platform::Bitmap &fused, const platform::Bitmap &sharpest,
                                   const platform::Bitmap &depth, int frames)
{
    result_->setPixmap(preview(fused));
    sharpest_->setPixmap(preview(sharpest));
    depthView_->setPixmap(preview(depth));
    depthFrames_ = depth.isNull() ? 0 : frames;
    depthLegend_->setPixmap(legend(depthFrames_));
    depthTitle_->setVisible(!depth.isNull());
    depthView_->setVisible(!depth.isNull());
    depthLegend_->setVisible(!depth.isNull());
}

void FocusStackDialog::clearResults()
{
    for (QLabel *l : {result_, sharpest_, depthView_, depthLegend_})
        l->clear();
    depthFrames_ = 0;
}

void FocusStackDialog::updateEnabled()
{
    const bool idle = phase_ == Phase::Idle;
    const bool live = fromLive_->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{fromLive_, fromFolder_, depth_})
        w->setEnabled(idle);
    onSpace_->setEnabled(idle && live);
    every_->setEnabled(idle && live);
    interval_->setEnabled(idle && live && every_->isChecked());
    start_->setEnabled(idle && live);
    stop_->setEnabled(phase_ == Phase::Collecting);
    chooseFolder_->setEnabled(idle && !live);
    stack_->setEnabled(idle && !live && !folder_->text().isEmpty());
    cancel_->setEnabled(!idle);
}

void FocusStackDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        if (phase_ == Phase::Collecting && onSpace_->isChecked())
            Q_EMIT frameKeyPressed();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Escape and the window's close button: a run in progress is cancelled, and the window hides.
void FocusStackDialog::reject()
{
    if (phase_ != Phase::Idle)
        Q_EMIT cancelRequested();
    QDialog::reject();
}

} // namespace stack::ui
