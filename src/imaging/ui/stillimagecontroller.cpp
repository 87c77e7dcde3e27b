#include "stillimagecontroller.h"

#include "stillimageview.h"

#include "feature/actioninputs.h"
#include "feature/ui/controls.h"
#include "feature/ui/filemessages.h"
#include "feature/ui/shellport.h"
#include "feature/ui/userdialogs.h"
#include "imaging/stilldocument.h"
#include "library/capturenumber.h"
#include "library/capturesaver.h"
#include "library/jpegquality.h"
#include "library/openfile.h"
#include "library/trash.h"
#include "library/ui/savedialogs.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "platform/atomicfile.h"
#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"
#include "state/appstate.h"
#include "state/usersettings.h"
#include "state/uiprotocol.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QFileDialog>
#include <QPushButton>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>

namespace imaging::ui {

using feature::ui::Controls;
using state::ControlId;

// The capture counters live in the settings record; the counter is their one writer, and each
// number reaches the settings file before it is used.
class StillImageController::SettingsCounters final : public library::CounterStore
{
public:
    explicit SettingsCounters(const feature::ui::FeatureContext &ctx) : ctx_(ctx) {}
    state::CaptureNumbers numbers() const override { return ctx_.state.captureNumbers(); }
    void store(const state::CaptureNumbers &numbers) override
    {
        ctx_.state.setCaptureNumbers(numbers);
        ctx_.shell.SysInfoUserSet();
    }

private:
    feature::ui::FeatureContext ctx_;
};

StillImageController::StillImageController(feature::ui::FeatureContext context, StillPort &port, StillImageView &view,
                                           library::FrameGrabber grabFrame, QObject *parent)
    : QObject(parent), ctx_(context), port_(port), view_(view),
      document_(std::make_unique<imaging::StillDocument>(&context.log))
{
    view_.setDocument(document_.get());
    counters_ = std::make_unique<SettingsCounters>(ctx_);
    counter_ = std::make_unique<library::CaptureCounter>(*counters_, ctx_.clock, &ctx_.log);
    saver_ = std::make_unique<library::CaptureSaver>(*counter_, ctx_.log);
    jpegQuality_ = std::make_unique<library::JpegQuality>();
    buildLibrary(std::move(grabFrame));
    connectControls();
    browser_->applyTexts();
    // The library's first page.
    browser_->FileList(state::kListJpg);
}

StillImageController::~StillImageController() = default;

int StillImageController::jpegQuality() const { return jpegQuality_->quality(); }

void StillImageController::buildLibrary(library::FrameGrabber grabFrame)
{
    trash_ = std::make_unique<library::SystemTrash>(ctx_.log);
    library::ui::ThumbnailBrowserDeps bd{ctx_.state.curListPath(), ctx_.paths.defListPath, ctx_.log, *trash_};
    // The browser's folder buttons are the one writer of the library folders.
    bd.setFolder = [this](int kind, const QString &folder) { ctx_.state.setListPath(kind, folder); };
    bd.useToolFolder = [this](int kind, const QString &folder) { ctx_.state.useToolFolder(kind, folder); };
    bd.grabFrame = std::move(grabFrame);
    bd.recordingPicture = ctx_.programDir + QStringLiteral("/Bitmap/ShowMap/Recording.bmp");
    bd.showMessageBox = [this](const QString &t, const QStringList &a, const QString &c, bool w, int i) {
        return ctx_.shell.ShowMessageBoxWith(t, a, c, w, i);
    };
    bd.text = [this](const QString &key) { return ctx_.shell.text(key); };
    bd.openUrl = [this](const QUrl &url) { return ctx_.dialogs.openUrl(url); };
    bd.pageChangeBlocked = [this] { return port_.libraryPageChangeBlocked(); };
    browser_ = new library::ui::ThumbnailBrowserWidget(std::move(bd));
    // Pages and folder buttons are used with the mouse; taking the keyboard focus would swallow
    // the Space of the next snapshot.
    browser_->setFocusPolicy(Qt::NoFocus);
    for (QWidget *w : browser_->findChildren<QWidget *>())
        if (qobject_cast<QTabBar *>(w) || qobject_cast<QAbstractButton *>(w))
            w->setFocusPolicy(Qt::NoFocus);
    connect(browser_, &library::ui::ThumbnailBrowserWidget::pictureOpenRequested, this,
            [this](const QString &path) { openPicture(path); });
    connect(browser_, &library::ui::ThumbnailBrowserWidget::videoPlayRequested, this,
            [this](const QString &path) { port_.playVideo(path); });
    connect(
        browser_, &library::ui::ThumbnailBrowserWidget::videoDeletionStarting, this,
        [this] {
            if (ctx_.state.flags().VideoPlaying)
                port_.exitMediaPlayer();
        },
        Qt::DirectConnection);
    connect(browser_, &library::ui::ThumbnailBrowserWidget::stillImageReset, this, [this] {
        document_->clear();
        port_.leaveEditor();
        port_.leaveFilterMode();
    });
    connect(browser_, &library::ui::ThumbnailBrowserWidget::pageChanged, this, [this](int) { ctx_.shell.MemoryTrim(); });
    connect(browser_, &library::ui::ThumbnailBrowserWidget::fileChosen, this, [this](int kind, const QString &path) {
        libraryChoice_ = path;
        libraryChoiceKind_ = kind;
    });
    // A picture opened, taken or saved is the user's latest choice; a mark (the file forgotten
    // after a snapshot was stored) only moves the highlight to what Delete now acts on.
    connect(document_.get(), &imaging::StillDocument::changed, this, [this](imaging::StillDocument::Change change) {
        using Change = imaging::StillDocument::Change;
        if (change == Change::Loaded || change == Change::Saved) {
            libraryChoice_.clear();
            libraryChoiceKind_ = -1;
        }
        if (change == Change::Loaded || change == Change::Saved || change == Change::Marked)
            highlightChoice();
    });
}

void StillImageController::highlightChoice()
{
    browser_->choose(libraryChoice_.isEmpty() ? document_->filePath() : libraryChoice_);
}

void StillImageController::connectControls()
{
    Controls &c = ctx_.controls;
    auto save = [this] { saveShown(); };
    connect(c.mainButton(ControlId::SaveImage_Btn), &QPushButton::clicked, this, save);
    connect(c.action(ControlId::SaveFile), &QAction::triggered, this, save);
    connect(c.mainButton(ControlId::DelViewVideo_Btn), &QPushButton::clicked, this, &StillImageController::DeleteImage);
    connect(c.action(ControlId::OpenFile), &QAction::triggered, this, &StillImageController::OpenFileClick);
    connect(c.action(ControlId::RestoreDefaultPath), &QAction::triggered, browser_,
            &library::ui::ThumbnailBrowserWidget::RestoreDefaultPath);
    const ControlId dirs[] = {ControlId::BmpDir, ControlId::JpgDir, ControlId::AviDir};
    for (int kind = 0; kind < 3; ++kind)
        connect(c.action(dirs[kind]), &QAction::triggered, this, [this, kind] { browser_->openFolder(kind); });
    const std::pair<ControlId, int> levels[] = {{ControlId::NHeight_Q, library::JpegQuality::kHigh},
                                                {ControlId::NMiddle_Q, library::JpegQuality::kMiddle},
                                                {ControlId::NLow_Q, library::JpegQuality::kLow}};
    for (const auto &[id, quality] : levels) {
        QAction *a = c.action(id);
        connect(a, &QAction::triggered, this, [this, a, quality] {
            if (jpegQuality_->choose(quality))
                port_.setJpegQuality(quality);
            a->setChecked(true);
        });
    }
}

void StillImageController::readInputs(feature::ActionInputs &in) const
{
    in.stillEmpty = document_->isEmpty();
    in.unsavedEdits = document_->hasUnsavedEdits();
}

void StillImageController::languageChanged() { browser_->applyTexts(); }

void StillImageController::beforeExit() { WhetherSaveImageMessage(); }

void StillImageController::WhetherSaveImageMessage()
{
    // Only the "Normal" layout and the viewer show the still image.
    const state::AppFlags &f = ctx_.state.flags();
    if (f.SizePreset == state::kPresetNormal || f.ViewerOpen)
        offerToSave();
}

void StillImageController::offerToSave()
{
    port_.commitEditorText();
    if (document_->hasUnsavedEdits()
        && ctx_.shell.ShowMessageBox(QStringLiteral("WhetherSaveImage_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                                     state::kIconQuestion)
               == state::kResultOk)
        Save_ImageFile(document_->picture());
}

bool StillImageController::saveShown()
{
    port_.commitEditorText();
    return Save_ImageFile(document_->picture());
}

bool StillImageController::Save_ImageFile(const platform::Bitmap &picture, const QString &prefix)
{
    if (picture.isNull())
        return false;
    return save(picture, prefix, QString(), ctx_.state.settings().AutoSave || port_.timedStillsRunning(),
                port_.pictureMetadata(picture.size()));
}

bool StillImageController::saveToolPicture(const platform::Bitmap &picture, const QString &lead,
                                           const platform::PictureMetadata &metadata)
{
    if (picture.isNull())
        return false;
    offerToSave();
    imaging::StillDocument &still = *document_;
    still.load(picture, QString());
    port_.leaveEditor();
    port_.leaveFilterMode();
    const bool saved = save(still.picture(), QString(), lead, true, metadata);
    if (!saved)
        still.markUnsaved();   // not in a file: ask before it is lost
    return saved;
}

bool StillImageController::save(const platform::Bitmap &picture, const QString &prefix, const QString &lead, bool automatic,
                                const platform::PictureMetadata &metadata)
{
    if (prefix.isEmpty() && browser_->currentIndex() == state::kListAvi)
        browser_->showKind(state::kListJpg);
    const library::SaveContext context{browser_->currentIndex(), automatic, prefix, ctx_.state.curListPath(),
                                       jpegQuality_->quality(), metadata, lead};
    const library::SaveResult r = saver_->Save_ImageFile(
        picture, context,
        library::ui::stillSaveDialog(
            &ctx_.window, [this](int filter) { browser_->setCurrentIndex(filter == 2 ? 1 : 0); },
            [this](QDialog &d) { return ctx_.dialogs.runDialog(d); }));
    imaging::StillDocument &doc = *document_;
    switch (r.outcome) {
    case library::SaveOutcome::Saved:
        // The picture shown was stored (not a selection or a burnt-in copy): it is saved work now.
        if (!doc.isEmpty() && (&picture == &doc.picture() || doc.picture() == picture))
            doc.saved(r.path);
        browser_->markNewFile(r.kindPage, r.path);
        browser_->showKind(r.kindPage);
        return true;
    case library::SaveOutcome::WriteFailed:
    case library::SaveOutcome::NoNumber:
        ctx_.log.append(QStringLiteral("Cannot save ") + r.path + QStringLiteral(": ")
                            + QString::fromStdString(r.write.system.message()));
        // A full disk is said as such, with the folder, so the user knows where to make room.
        if (platform::isDiskFull(r.write.system))
            feature::ui::reportDiskFull(ctx_.shell, QFileInfo(r.path).absolutePath());
        else
            ctx_.shell.ShowMessageBox(QStringLiteral("CannotSaveImage_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                                      state::kIconError);
        return false;
    default:
        return false;
    }
}

void StillImageController::CaptureImageCom(const platform::Bitmap &picture)
{
    imaging::StillDocument &still = *document_;
    still.load(picture, QString());
    const library::CaptureCompletion c = library::captureCompletion(
        ctx_.state.settings().AutoSave, port_.timedStillsRunning(), port_.timedStillsWithScale(), ctx_.state.flags().SizePreset);
    library::SaveOutcome outcome = library::SaveOutcome::Unknown;
    if (c.save == library::AutoSaveKind::Plain)
        outcome = Save_ImageFile(still.picture()) ? library::SaveOutcome::Saved : library::SaveOutcome::WriteFailed;
    else if (c.save == library::AutoSaveKind::WithScale)
        outcome = port_.saveWithScale(still.picture()) ? library::SaveOutcome::Saved : library::SaveOutcome::WriteFailed;
    // A snapshot is nobody's file even when it was just stored: the hint stays empty, so Delete
    // clears the still area and leaves the capture in the library, where it belongs now.
    still.forgetFile();
    // A picture that did not reach a file is an unsaved edit: it must not be lost silently.
    if (library::needsUnsavedMark(outcome))
        still.markUnsaved();
    if (c.showInViewer)
        port_.showStillInViewer();
}

void StillImageController::DeleteImage()
{
    imaging::StillDocument &still = *document_;
    const bool otherFile = !libraryChoice_.isEmpty() && libraryChoice_ != still.filePath();
    const QString path = otherFile ? libraryChoice_ : still.filePath();
    // The file is shown and highlighted while the question names it.
    browser_->reveal(path);
    const int answer = path.isEmpty()
                           ? ctx_.shell.ShowMessageBox(QStringLiteral("WhetherDeleteImage_MsgBox"),
                                                       QStringLiteral("AttentionTitle_MsgBox"), true, state::kIconInformation)
                           : ctx_.shell.ShowMessageBoxWith(QStringLiteral("WhetherDeleteFile_MsgBox"),
                                                           {QFileInfo(path).fileName()},
                                                           QStringLiteral("AttentionTitle_MsgBox"), true,
                                                           state::kIconInformation);
    if (answer != state::kResultOk)
        return;
    if (otherFile) {
        deleteLibraryFile(path);
        return;
    }
    if (!path.isEmpty())
        library::deleteToTrash(*trash_, path);
    still.clear();
    port_.leaveEditor();
    port_.leaveFilterMode();
    browser_->FileList(state::kListBmp);
    browser_->FileList(state::kListJpg);
}

void StillImageController::deleteLibraryFile(const QString &path)
{
    // Another file than the picture shown: only it goes; the picture and its edits stay.
    const int kind = libraryChoiceKind_;
    if (kind == state::kListAvi && ctx_.state.flags().VideoPlaying)
        port_.exitMediaPlayer();
    library::deleteToTrash(*trash_, path);
    libraryChoice_.clear();
    libraryChoiceKind_ = -1;
    highlightChoice();
    if (kind >= 0)
        browser_->FileList(kind);
}

bool StillImageController::loadPicture(const QString &path, int filterIndex)
{
    const platform::DecodedPicture d = filterIndex > 0 ? library::loadPictureAs(path, filterIndex)
                                                        : platform::readPictureFile(path);
    if (!d.ok()) {
        ctx_.log.append(QStringLiteral("Cannot open ") + path + QStringLiteral(": ")
                        + platform::pictureErrorText(d.error) + QStringLiteral(" (") + d.detail + QStringLiteral(")"));
        feature::ui::reportUnreadablePicture(ctx_.shell, path, d);
        return false;
    }
    document_->load(d.bitmap, path);
    // A picture cut or copied from the one before must not be pasted into this one by mistake.
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->clear();
    port_.leaveEditor();
    port_.leaveFilterMode();
    if (d.warning != platform::PictureWarning::None) {
        ctx_.log.append(QStringLiteral("Opened with a warning: ") + path + QStringLiteral(": ") + d.detail);
        feature::ui::reportPictureWarning(ctx_.shell, path, d.warning);
    }
    return true;
}

void StillImageController::openPicture(const QString &path, int filterIndex)
{
    offerToSave();
    loadPicture(path, filterIndex);
}

void StillImageController::OpenFileClick()
{
    const library::OpenFilePlan plan = library::openFilePlan(browser_->currentIndex(), ctx_.state.flags().ViewerOpen,
                                                             ctx_.paths.userDataDir);
    if (plan.turnToJpgPage)
        browser_->showKind(state::kListJpg);
    if (plan.video) {
        QFileDialog dialog(&ctx_.window, QString(), plan.startFolder, QStringLiteral("Audio Video Interleave  (*.avi)"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (const std::optional<QString> path = feature::ui::askFile(ctx_.dialogs, dialog))
            port_.playVideo(*path);
        return;
    }
    // Asked before the dialog, as for a double click: Cancel keeps the edits and still opens.
    offerToSave();
    QFileDialog dialog(&ctx_.window, QString(), plan.startFolder, QStringLiteral("Bitmaps (*.bmp);;JPEG Image File (*.jpg)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.selectNameFilter(plan.filterIndex == 2 ? QStringLiteral("JPEG Image File (*.jpg)") : QStringLiteral("Bitmaps (*.bmp)"));
    // The type chosen in the dialog decides the decoding.
    if (const std::optional<QString> path = feature::ui::askFile(ctx_.dialogs, dialog))
        loadPicture(*path, dialog.selectedNameFilter().startsWith(u"JPEG") ? 2 : 1);
}

} // namespace imaging::ui
