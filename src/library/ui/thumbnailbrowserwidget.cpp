#include "thumbnailbrowserwidget.h"

#include "state/uiprotocol.h"

#include "feature/ui/filemessages.h"
#include "library/trash.h"
#include "platform/diagnosticslog.h"
#include "platform/mediaworker.h"
#include "widgets/textfit.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QUrl>

#include <algorithm>

namespace library::ui {

namespace {

constexpr const char *kPrefixes[3] = {"Bmp", "Jpg", "Avi"};
constexpr int kFrameWidth = 138;
constexpr int kFrameHeight = 106;   // at most: a shorter sheet gets shorter frames
// The column right of the frames: page number, up-down and folder button, one below the other.
constexpr int kColumnLeft = 706;
constexpr int kColumnWidth = 88;
constexpr int kUpDownWidth = 48;
constexpr int kUpDownHeight = 24;
constexpr int kGap = 4;
constexpr qreal kSmallestPointSize = 6.0;

// Two grabs at once: a page of broken or growing videos, each failing only at the grabber's
// timeout, fills in about half the time; more would crowd the processors the camera preview needs.
constexpr int kGrabThreads = 2;

QString prefixOf(int kind) { return QLatin1String(kPrefixes[kind]); }

void showPicture(QLabel *label, const platform::Bitmap &thumbnail)
{
    if (thumbnail.isNull())
        label->clear();
    else
        label->setPixmap(QPixmap::fromImage(thumbnail.image()));
}

// The slot of a picture that cannot be read: grey, with the words and the file's name, so the
// user sees which file is broken without opening it.
QPixmap unreadablePicture(const QString &words, const QString &fileName, const QFont &font)
{
    QPixmap pixmap(kThumbnailSize);
    pixmap.fill(QColor(0xD8, 0xD8, 0xD8));
    QPainter p(&pixmap);
    p.setPen(QColor(0xA0, 0x20, 0x20));
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    QFont bold = font;
    bold.setBold(true);
    p.setFont(bold);
    const QRect inner = pixmap.rect().adjusted(4, 4, -4, -4);
    p.drawText(QRect(inner.left(), inner.top() + 14, inner.width(), 36), Qt::AlignCenter | Qt::TextWordWrap, words);
    p.setFont(font);
    p.setPen(Qt::black);
    const QString name = p.fontMetrics().elidedText(fileName, Qt::ElideMiddle, inner.width());
    p.drawText(QRect(inner.left(), inner.top() + 54, inner.width(), 20), Qt::AlignCenter, name);
    return pixmap;
}

} // namespace

ThumbnailBrowserWidget::ThumbnailBrowserWidget(ThumbnailBrowserDeps deps, QWidget *parent)
    : QTabWidget(parent), deps_(std::move(deps)), maker_(deps_.grabFrame, deps_.recordingPicture, deps_.log),
      worker_(std::make_unique<platform::MediaWorker>(kGrabThreads))
{
    setObjectName(QStringLiteral("PageControl1"));
    if (!deps_.openUrl)
        deps_.openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    if (!deps_.pickFolder)
        deps_.pickFolder = [this](const QString &title, const QString &start) -> std::optional<QString> {
            const QString chosen = QFileDialog::getExistingDirectory(this, title, start);
            return chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen);
        };
    if (!deps_.text)
        deps_.text = [](const QString &) { return QString(); };

    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("PopupMenu_ListView"));
    const std::pair<const char *, void (ThumbnailBrowserWidget::*)()> items[] = {
        {"OpenFile1", &ThumbnailBrowserWidget::OpenFile1Click},
        {"DeleteFile1", &ThumbnailBrowserWidget::DeleteFile1Click},
        {"DeleteAllFile1", &ThumbnailBrowserWidget::DeleteAllFile1Click}};
    for (const auto &[name, handler] : items) {
        QAction *a = menu_->addAction(QString());
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, handler);
    }

    for (int kind = 0; kind < 3; ++kind)
        buildPage(kind);
    setCurrentIndex(state::kListJpg);
    connect(this, &QTabWidget::currentChanged, this, &ThumbnailBrowserWidget::onCurrentChanged);
}

ThumbnailBrowserWidget::~ThumbnailBrowserWidget()
{
    // Before the labels and the maker go: waits for the running grabs and drops their deliveries.
    worker_.reset();
}

void ThumbnailBrowserWidget::buildPage(int kind)
{
    const QString prefix = prefixOf(kind);
    auto *sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("TabSheet%1").arg(kind + 1));
    for (int s = 0; s < kSlotsPerPage; ++s) {
        auto *frame = new QLabel(sheet);
        frame->setObjectName(QStringLiteral("%1_Frame%2").arg(prefix).arg(s + 1));
        frame->setFrameShape(QFrame::StyledPanel);
        auto *thumb = new QLabel(frame);
        thumb->setObjectName(QStringLiteral("%1_Image%2").arg(prefix).arg(s + 1));
        thumb->setAlignment(Qt::AlignCenter);
        thumb->installEventFilter(this);
        slots_[kind][s] = thumb;
    }
    auto *num = new QLabel(pageLabel(0, 0), sheet);
    num->setObjectName(prefix + QStringLiteral("Num_Label"));
    num->setAlignment(Qt::AlignCenter);
    numberLabels_[kind] = num;

    // A horizontal up-down control: the left half turns back, the right half forward.
    auto *upDown = new QWidget(sheet);
    upDown->setObjectName(QStringLiteral("List%1_UpDown").arg(prefix));
    auto *row = new QHBoxLayout(upDown);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (bool forward : {false, true}) {
        auto *b = new QToolButton(upDown);
        b->setObjectName(upDown->objectName() + (forward ? QStringLiteral("Next") : QStringLiteral("Previous")));
        b->setArrowType(forward ? Qt::RightArrow : Qt::LeftArrow);
        b->setAutoRaise(false);
        row->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, kind, forward] { turnPage(kind, forward); });
    }
    upDowns_[kind] = upDown;

    auto *pathBtn = new QPushButton(sheet);
    pathBtn->setObjectName(QStringLiteral("List%1Path_Btn").arg(prefix));
    connect(pathBtn, &QPushButton::clicked, this, [this, kind] { chooseFolder(kind); });
    pathButtons_[kind] = pathBtn;

    addTab(sheet, QString());
    sheet->installEventFilter(this);
    layoutPage(kind);
}

void ThumbnailBrowserWidget::layoutPage(int kind)
{
    QWidget *sheet = widget(kind);
    const int height = sheet->height();
    // Frames from the top, one pixel clear of the bottom, never shorter than a thumbnail.
    const int frameHeight = std::clamp(height - 3, kThumbnailSize.height() + 4, kFrameHeight);
    for (int s = 0; s < kSlotsPerPage; ++s) {
        QLabel *thumb = slots_[kind][s];
        auto *frame = static_cast<QWidget *>(thumb->parent());
        frame->setGeometry(4 + s * (kFrameWidth + 2), 2, kFrameWidth, frameHeight);
        thumb->setGeometry((kFrameWidth - kThumbnailSize.width()) / 2, (frameHeight - kThumbnailSize.height()) / 2,
                           kThumbnailSize.width(), kThumbnailSize.height());
    }

    QLabel *num = numberLabels_[kind];
    const int numHeight = num->fontMetrics().height() + 2;
    num->setGeometry(kColumnLeft, 2, kColumnWidth, numHeight);
    const int upDownTop = num->geometry().bottom() + 1 + kGap;
    upDowns_[kind]->setGeometry(kColumnLeft + (kColumnWidth - kUpDownWidth) / 2, upDownTop, kUpDownWidth, kUpDownHeight);

    // The caption on one line, else on two, else on two in a smaller font (a long single word).
    QPushButton *button = pathButtons_[kind];
    const int textRoom = kColumnWidth - button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
    QFont font = sheet->font();
    QString shown;
    for (;;) {
        const QFontMetrics metrics(font);
        shown = widgets::twoLines(pathCaptions_[kind], textRoom,
                                  [&metrics](QStringView text) { return metrics.horizontalAdvance(text.toString()); });
        if (metrics.size(Qt::TextShowMnemonic, shown).width() <= textRoom || font.pointSizeF() <= kSmallestPointSize)
            break;
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    button->setFont(font);
    button->setText(shown);
    const QFontMetrics fm(font);
    const int buttonTop = upDownTop + kUpDownHeight + kGap;
    const int wanted = std::max(28, fm.size(Qt::TextShowMnemonic, shown).height() + 10);
    button->setGeometry(kColumnLeft, buttonTop, kColumnWidth, std::max(24, std::min(wanted, height - 1 - buttonTop)));
}

void ThumbnailBrowserWidget::changeEvent(QEvent *event)
{
    QTabWidget::changeEvent(event);
    // A new language's font: the captions are measured again.
    if (event->type() == QEvent::FontChange)
        for (int kind = 0; kind < count(); ++kind)
            layoutPage(kind);
}

void ThumbnailBrowserWidget::showSlot(int kind, int slot, const QString &path)
{
    QLabel *label = slots_[kind][slot];
    // The hint names the file even when it could not be shown, so the user sees which one failed.
    label->setToolTip(path);
    PendingGrab &pending = pendingGrabs_[kind][slot];
    // A refresh while the grab of this very file runs keeps it: restarting could starve a slot
    // whose file takes seconds to fail.
    if (pending.ticket && !path.isEmpty() && pending.path == path)
        return;
    dropPendingGrab(kind, slot);
    if (path.isEmpty()) {
        label->clear();
        return;
    }
    const ThumbnailMaker::Start start = maker_.start(kind, path);
    if (start.unreadable) {
        showUnreadable(kind, slot, path, *start.unreadable);
        return;
    }
    showPicture(label, start.shown);
    if (!start.grabStamp)
        return;
    pending.path = path;
    pending.ticket = worker_->post(
        [grab = maker_.grabber(), path, stamp = *start.grabStamp] { return grabVideoThumbnail(grab, path, stamp); },
        [this, kind, slot](GrabbedFrame grabbed) {
            pendingGrabs_[kind][slot] = {};
            showPicture(slots_[kind][slot], maker_.finishVideo(std::move(grabbed)));
        });
}

void ThumbnailBrowserWidget::showUnreadable(int kind, int slot, const QString &path, const platform::DecodedPicture &why)
{
    QLabel *label = slots_[kind][slot];
    label->setPixmap(unreadablePicture(deps_.text(QStringLiteral("CannotReadThumbnail_Lab")), QFileInfo(path).fileName(),
                                       label->font()));
    label->setToolTip(path + u'\n' + feature::ui::pictureProblemText(deps_.text, why));
}

void ThumbnailBrowserWidget::highlight(int kind)
{
    for (int s = 0; s < kSlotsPerPage; ++s) {
        auto *frame = static_cast<QLabel *>(slots_[kind][s]->parentWidget());
        const bool chosen = !chosen_.isEmpty() && pages_.kind(kind).slots[s] == chosen_;
        if (frame->property("chosen").toBool() == chosen)
            continue;
        frame->setProperty("chosen", chosen);
        // The frame shows around the thumbnail as a band in the highlight colour.
        frame->setAutoFillBackground(chosen);
        frame->setBackgroundRole(chosen ? QPalette::Highlight : QPalette::Window);
        frame->setFrameShadow(chosen ? QFrame::Sunken : QFrame::Plain);
    }
}

int ThumbnailBrowserWidget::highlightedSlot(int kind) const
{
    if (!LibraryPages::valid(kind))
        return -1;
    for (int s = 0; s < kSlotsPerPage; ++s)
        if (slots_[kind][s]->parentWidget()->property("chosen").toBool())
            return s;
    return -1;
}

void ThumbnailBrowserWidget::choose(const QString &path)
{
    chosen_ = path;
    for (int kind = 0; kind < 3; ++kind)
        highlight(kind);
}

void ThumbnailBrowserWidget::userChose(int kind, int slot)
{
    const QString path = pages_.kind(kind).slots[slot];
    if (path.isEmpty())
        return;
    choose(path);
    Q_EMIT fileChosen(kind, path);
}

bool ThumbnailBrowserWidget::reveal(const QString &path)
{
    choose(path);
    if (path.isEmpty())
        return false;
    const QFileInfo file(path);
    const QString suffix = file.suffix().toLower();
    const int kind = suffix == QLatin1String("bmp")                                    ? state::kListBmp
                     : suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") ? state::kListJpg
                     : suffix == QLatin1String("avi")                                  ? state::kListAvi
                                                                                       : -1;
    if (kind < 0 || QDir::cleanPath(file.absolutePath()) != QDir::cleanPath(deps_.curListPath[kind]))
        return false;
    if (kind != currentIndex() && deps_.pageChangeBlocked && deps_.pageChangeBlocked())
        return false;
    pages_.markNewFile(kind, path);
    showKind(kind);
    return highlightedSlot(kind) >= 0;
}

void ThumbnailBrowserWidget::dropPendingGrab(int kind, int slot)
{
    PendingGrab &pending = pendingGrabs_[kind][slot];
    if (pending.ticket)
        worker_->cancel(pending.ticket);
    pending = {};
}

int ThumbnailBrowserWidget::pendingThumbnails() const { return worker_->pending(); }

void ThumbnailBrowserWidget::FileList(int kind)
{
    if (!LibraryPages::valid(kind))
        return;
    const LibraryPages::Kind &k = pages_.refresh(kind, deps_.curListPath[kind]);
    maker_.cache().forgetMissing(deps_.curListPath[kind], k.files);
    if (kind != state::kListAvi)
        maker_.preparePictures(kind, QStringList(k.slots.begin(), k.slots.end()));
    for (int s = 0; s < kSlotsPerPage; ++s)
        showSlot(kind, s, k.slots[s]);
    highlight(kind);
    if (kind == currentIndex())
        updatePageLabel();
}

void ThumbnailBrowserWidget::refreshAll()
{
    for (int kind = 0; kind < 3; ++kind)
        FileList(kind);
}

void ThumbnailBrowserWidget::markNewFile(int kind, const QString &path) { pages_.markNewFile(kind, path); }

void ThumbnailBrowserWidget::showKind(int kind)
{
    if (currentIndex() == kind)
        FileList(kind);
    else
        setCurrentIndex(kind);   // the page change refreshes it
}

void ThumbnailBrowserWidget::updatePageLabel()
{
    const int kind = currentIndex();
    if (LibraryPages::valid(kind))
        numberLabels_[kind]->setText(pages_.label(kind));
}

void ThumbnailBrowserWidget::onCurrentChanged(int page)
{
    if (deps_.pageChangeBlocked && deps_.pageChangeBlocked())
        return;
    FileList(page);
    Q_EMIT pageChanged(page);
}

void ThumbnailBrowserWidget::turnPage(int kind, bool forward)
{
    if (turning_ || kind != currentIndex())
        return;
    turning_ = true;
    if (forward ? pages_.next(kind) : pages_.previous(kind))
        FileList(kind);
    turning_ = false;
}

void ThumbnailBrowserWidget::activateSlot(int kind, int slot)
{
    const QString path = pages_.kind(kind).slots[slot];
    // An empty slot opens nothing: handing an empty path on would only stop the live video and
    // end in a playback error.
    if (path.isEmpty())
        return;
    if (kind == state::kListAvi)
        Q_EMIT videoPlayRequested(path);
    else if (!slots_[kind][slot]->pixmap().isNull())
        Q_EMIT pictureOpenRequested(path);
}

bool ThumbnailBrowserWidget::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Resize)
        for (int kind = 0; kind < count(); ++kind)
            if (widget(kind) == watched)
                layoutPage(kind);
    if (type != QEvent::MouseButtonDblClick && type != QEvent::ContextMenu && type != QEvent::MouseButtonPress)
        return QTabWidget::eventFilter(watched, event);
    for (int kind = 0; kind < 3; ++kind)
        for (int s = 0; s < kSlotsPerPage; ++s) {
            if (slots_[kind][s] != watched)
                continue;
            if (type == QEvent::MouseButtonPress) {
                // A single click chooses and highlights; opening stays with the double click.
                if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                    userChose(kind, s);
            } else if (type == QEvent::MouseButtonDblClick) {
                activateSlot(kind, s);
            } else if (!pages_.kind(kind).slots[s].isEmpty()) {
                rememberContext(kind, s);
                menu_->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
            }
            return true;
        }
    return QTabWidget::eventFilter(watched, event);
}

void ThumbnailBrowserWidget::rememberContext(int kind, int slot)
{
    contextKind_ = kind;
    contextPath_ = pages_.kind(kind).slots[slot];
    contextHasPicture_ = !slots_[kind][slot]->pixmap().isNull();
    // The menu's commands act on this file: it is the one highlighted.
    userChose(kind, slot);
}

void ThumbnailBrowserWidget::OpenFile1Click()
{
    if (contextKind_ == state::kListAvi) {
        Q_EMIT videoPlayRequested(contextPath_);
        return;
    }
    if (contextPath_.isEmpty() || !contextHasPicture_)
        return;
    Q_EMIT pictureOpenRequested(contextPath_);
}

void ThumbnailBrowserWidget::DeleteFile1Click()
{
    const int kind = contextKind_;
    if (!LibraryPages::valid(kind))
        return;
    if (kind == state::kListAvi)
        Q_EMIT videoDeletionStarting();
    if (!contextPath_.isEmpty() && deps_.showMessageBox
        && deps_.showMessageBox(QStringLiteral("WhetherDeleteFile_MsgBox"), {QFileInfo(contextPath_).fileName()},
                                QStringLiteral("AttentionTitle_MsgBox"), true, state::kIconInformation)
               == state::kResultOk) {
        deleteToTrash(deps_.trash, contextPath_);
        contextPath_.clear();
    }
    if (kind != state::kListAvi)
        Q_EMIT stillImageReset();
    FileList(kind);
}

void ThumbnailBrowserWidget::DeleteAllFile1Click()
{
    const int kind = contextKind_;
    if (!LibraryPages::valid(kind))
        return;
    if (kind == state::kListAvi)
        Q_EMIT videoDeletionStarting();
    if (!contextPath_.isEmpty() && deps_.showMessageBox
        && deps_.showMessageBox(QStringLiteral("WhetherDeleteAllImage_MsgBox"), {}, QStringLiteral("AttentionTitle_MsgBox"),
                                true, state::kIconInformation)
               == state::kResultOk) {
        // The folder of the page whose thumbnail was right-clicked, never the one listed last.
        deleteAllOfKind(deps_.trash, deps_.curListPath[kind], kind, deps_.log);
        contextPath_.clear();
    }
    if (kind != state::kListAvi)
        Q_EMIT stillImageReset();
    FileList(kind);
}

void ThumbnailBrowserWidget::chooseFolder(int kind)
{
    const QString current = deps_.curListPath[kind];
    const QString start = QFileInfo(current).isDir() ? current : QString();
    const std::optional<QString> chosen = deps_.pickFolder(deps_.text(QStringLiteral("PathOptionInfo_Dlg")), start);
    if (!chosen || chosen->isEmpty())
        return;
    QString folder = QDir::fromNativeSeparators(*chosen);
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    useFolder(kind, folder);
    FileList(kind);
}

void ThumbnailBrowserWidget::useFolder(int kind, const QString &folder)
{
    if (LibraryPages::valid(kind) && deps_.setFolder)
        deps_.setFolder(kind, folder);
}

void ThumbnailBrowserWidget::showToolFolder(int kind, const QString &folder)
{
    if (LibraryPages::valid(kind) && deps_.useToolFolder)
        deps_.useToolFolder(kind, folder);
}

void ThumbnailBrowserWidget::RestoreDefaultPath()
{
    for (int kind = 0; kind < 3; ++kind)
        useFolder(kind, deps_.defListPath[std::size_t(kind)]);
    refreshAll();
}

bool ThumbnailBrowserWidget::openFolder(int kind)
{
    if (!LibraryPages::valid(kind))
        return false;
    const bool opened = deps_.openUrl(QUrl::fromLocalFile(deps_.curListPath[kind]));
    if (!opened)
        deps_.log.append(QStringLiteral("Cannot open folder ") + deps_.curListPath[kind]);
    return opened;
}

void ThumbnailBrowserWidget::applyTexts()
{
    for (int kind = 0; kind < 3; ++kind) {
        setTabText(kind, deps_.text(widget(kind)->objectName() + QStringLiteral("->Caption")));
        pathCaptions_[kind] = deps_.text(pathButtons_[kind]->objectName() + QStringLiteral("->Caption"));
        layoutPage(kind);
        upDowns_[kind]->setToolTip(deps_.text(upDowns_[kind]->objectName() + QStringLiteral("->Hint")));
    }
    for (QAction *a : menu_->actions())
        a->setText(deps_.text(a->objectName() + QStringLiteral("->Caption")));
}

} // namespace library::ui
