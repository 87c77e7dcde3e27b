#include "stillimagecontroller.h"

#include "mainwindow.h"
#include "shell.h"

#include "app/updateactions.h"
#include "state/uiprotocol.h"
#include "imaging/ui/stillimageview.h"
#include "library/capturenumber.h"
#include "library/capturesaver.h"
#include "library/jpegquality.h"
#include "library/openfile.h"
#include "library/trash.h"
#include "library/ui/savedialogs.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"

#include <QAction>
#include <QFileDialog>
#include <QPushButton>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>

namespace app::ui {

using state::ControlId;

StillImageController::StillImageController(Shell &shell, QObject *parent) : QObject(parent), shell_(shell)
{
    counter_ = std::make_unique<library::CaptureCounter>(shell_.state().settingsRecord(), shell_.clock(),
                                                         [this] { shell_.SysInfoUserSet(); }, &shell_.log());
    saver_ = std::make_unique<library::CaptureSaver>(*counter_, shell_.log());
    jpegQuality_ = std::make_unique<library::JpegQuality>();
    buildLibrary();
    connectControls();
    browser_->applyTexts();
    // The library's first page.
    browser_->FileList(state::kListJpg);
}

StillImageController::~StillImageController() = default;

imaging::ui::StillImageView &StillImageController::view() const { return *shell_.window().stillView(); }

int StillImageController::jpegQuality() const { return jpegQuality_->quality(); }

void StillImageController::buildLibrary()
{
    trash_ = std::make_unique<library::SystemTrash>(shell_.log());
    library::ui::ThumbnailBrowserDeps bd{shell_.state().listPathsRecord(), shell_.paths().defListPath, shell_.log(),
                                         *trash_};
    bd.grabFrame = [this](const QString &path, int index) { return grabVideoFrame(path, index); };
    bd.recordingPicture = shell_.programDir() + QStringLiteral("/Bitmap/ShowMap/Recording.bmp");
    bd.showMessageBox = [this](const QString &t, const QString &c, bool w, int i) { return shell_.ShowMessageBox(t, c, w, i); };
    bd.text = [this](const QString &key) { return shell_.texts().text(key); };
    bd.pageChangeBlocked = [this] {
        ActionInputs in;
        for (const Feature *f : shell_.features())
            if (f != this)
                f->readInputs(in);
        return in.timedCaptureRunning || in.vid2ImgRunning;
    };
    browser_ = new library::ui::ThumbnailBrowserWidget(std::move(bd));
    // Pages and folder buttons are used with the mouse; taking the keyboard focus would swallow
    // the Space of the next snapshot.
    browser_->setFocusPolicy(Qt::NoFocus);
    for (QWidget *w : browser_->findChildren<QWidget *>())
        if (qobject_cast<QTabBar *>(w) || qobject_cast<QAbstractButton *>(w))
            w->setFocusPolicy(Qt::NoFocus);
    shell_.window().placeLibrary(browser_);
    connect(browser_, &library::ui::ThumbnailBrowserWidget::pictureOpenRequested, this,
            [this](const QString &path) { openPicture(path); });
    connect(browser_, &library::ui::ThumbnailBrowserWidget::videoPlayRequested, this,
            [this](const QString &path) { playVideoFile(path); });
    connect(
        browser_, &library::ui::ThumbnailBrowserWidget::videoDeletionStarting, this,
        [this] {
            if (shell_.state().flags().VideoPlaying)
                leavePlayer();
        },
        Qt::DirectConnection);
    connect(browser_, &library::ui::ThumbnailBrowserWidget::stillImageReset, this, [this] {
        view().clear();
        leaveEditMode();
        leaveImageProcessMode();
    });
    connect(browser_, &library::ui::ThumbnailBrowserWidget::pageChanged, this, [this](int) { shell_.MemoryTrim(); });
}

void StillImageController::connectControls()
{
    Controls &c = shell_.controls();
    auto save = [this] { Save_ImageFile(view().picture()); };
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
                jpegQualityChosen(quality);
            a->setChecked(true);
        });
    }
}

void StillImageController::readInputs(ActionInputs &in) const
{
    in.stillEmpty = view().isEmpty();
    in.unsavedEdits = view().hasUnsavedEdits();
}

void StillImageController::applyRules(const ActionInputs &in, ActionState &s) const { stillImageRules(in, s); }

void StillImageController::languageChanged() { browser_->applyTexts(); }

void StillImageController::beforeExit()
{
    // Only the "Normal" layout and the viewer show the still image.
    const state::AppFlags &f = shell_.state().flags();
    if ((f.SizePreset == state::kPresetNormal || f.ViewerOpen) && view().hasUnsavedEdits()
        && shell_.ShowMessageBox(QStringLiteral("WhetherSaveImage_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                                 state::kIconQuestion)
               == state::kResultOk)
        Save_ImageFile(view().picture());
}

bool StillImageController::Save_ImageFile(const platform::Bitmap &picture, const QString &prefix)
{
    if (picture.isNull())
        return false;
    return save(picture, prefix, QString(), shell_.state().settings().AutoSave || timedStillsRunning(),
                pictureMetadata ? pictureMetadata(picture.size()) : platform::PictureMetadata{});
}

// Before the still picture is replaced: its unsaved edits are saved when the user says so.
void StillImageController::offerToSaveEdits()
{
    imaging::ui::StillImageView &still = view();
    if (still.hasUnsavedEdits()
        && shell_.ShowMessageBox(QStringLiteral("WhetherSaveImage_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                                 state::kIconQuestion)
               == state::kResultOk)
        Save_ImageFile(still.picture());
}

bool StillImageController::saveToolPicture(const platform::Bitmap &picture, const QString &lead,
                                           const platform::PictureMetadata &metadata)
{
    if (picture.isNull())
        return false;
    imaging::ui::StillImageView &still = view();
    offerToSaveEdits();
    still.setPicture(picture, QString());
    leaveEditMode();
    leaveImageProcessMode();
    const bool saved = save(still.picture(), QString(), lead, true, metadata);
    if (!saved)
        still.setChangeCount(2);   // not in a file: ask before it is lost
    return saved;
}

bool StillImageController::save(const platform::Bitmap &picture, const QString &prefix, const QString &lead, bool automatic,
                                 const platform::PictureMetadata &metadata)
{
    if (prefix.isEmpty() && browser_->currentIndex() == state::kListAvi)
        browser_->showKind(state::kListJpg);
    const library::SaveContext context{browser_->currentIndex(), automatic, prefix, shell_.state().curListPath(),
                                       jpegQuality_->quality(), metadata, lead};
    const library::SaveResult r = saver_->Save_ImageFile(
        picture, context,
        library::ui::stillSaveDialog(&shell_.window(), [this](int filter) { browser_->setCurrentIndex(filter == 2 ? 1 : 0); }));
    imaging::ui::StillImageView &still = view();
    switch (r.outcome) {
    case library::SaveOutcome::Saved:
        if (&picture == &still.picture() || still.isEmpty() || still.picture() == picture) {
            still.setHintPath(r.path);
            still.setChangeCount(1);
            still.setFilterApplied(false);
        }
        browser_->markNewFile(r.kindPage, r.path);
        browser_->showKind(r.kindPage);
        return true;
    case library::SaveOutcome::WriteFailed:
    case library::SaveOutcome::NoNumber:
        shell_.log().append(QStringLiteral("Cannot save ") + r.path + QStringLiteral(": ")
                            + QString::fromStdString(r.write.system.message()));
        shell_.ShowMessageBox(QStringLiteral("CannotSaveImage_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                              state::kIconError);
        return false;
    default:
        return false;
    }
}

void StillImageController::CaptureImageCom(const platform::Bitmap &picture)
{
    imaging::ui::StillImageView &still = view();
    still.setPicture(picture, QString());
    const library::CaptureCompletion c = library::captureCompletion(
        shell_.state().settings().AutoSave, timedStillsRunning(), timedStillsWithScale(), shell_.state().flags().SizePreset);
    library::SaveOutcome outcome = library::SaveOutcome::Unknown;
    if (c.save == library::AutoSaveKind::Plain)
        outcome = Save_ImageFile(still.picture()) ? library::SaveOutcome::Saved : library::SaveOutcome::WriteFailed;
    else if (c.save == library::AutoSaveKind::WithScale)
        outcome = saveWithScale(still.picture()) ? library::SaveOutcome::Saved : library::SaveOutcome::WriteFailed;
    // A snapshot is nobody's file even when it was just stored: the hint stays empty, so Delete
    // clears the still area and leaves the capture in the library, where it belongs now.
    still.setHintPath(QString());
    // A picture that did not reach a file is an unsaved edit: it must not be lost silently.
    if (library::needsUnsavedMark(outcome))
        still.setChangeCount(2);
    if (c.showInViewer)
        showInViewer();
}

void StillImageController::DeleteImage()
{
    if (shell_.ShowMessageBox(QStringLiteral("WhetherDeleteImage_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                              state::kIconInformation)
        != state::kResultOk)
        return;
    imaging::ui::StillImageView &still = view();
    const QString path = still.hintPath();
    still.setFilterApplied(false);
    still.setChangeCount(1);
    if (!path.isEmpty())
        library::deleteToTrash(*trash_, path);
    still.clear();
    leaveEditMode();
    leaveImageProcessMode();
    browser_->FileList(state::kListBmp);
    browser_->FileList(state::kListJpg);
}

void StillImageController::openPicture(const QString &path, int filterIndex)
{
    imaging::ui::StillImageView &still = view();
    offerToSaveEdits();
    const platform::DecodedPicture d = filterIndex > 0 ? library::loadPictureAs(path, filterIndex)
                                                        : platform::readPictureFile(path);
    if (!d.ok()) {
        shell_.log().append(QStringLiteral("Cannot open ") + path + QStringLiteral(": ")
                            + platform::pictureErrorText(d.error) + QStringLiteral(" (") + d.detail + QStringLiteral(")"));
        return;
    }
    still.setPicture(d.bitmap, path);
    leaveEditMode();
    leaveImageProcessMode();
}

void StillImageController::OpenFileClick()
{
    const library::OpenFilePlan plan = library::openFilePlan(browser_->currentIndex(), shell_.state().flags().ViewerOpen,
                                                             shell_.paths().userDataDir);
    if (plan.turnToJpgPage)
        browser_->showKind(state::kListJpg);
    if (plan.video) {
        const QString path = QFileDialog::getOpenFileName(&shell_.window(), QString(), plan.startFolder,
                                                          QStringLiteral("Audio Video Interleave  (*.avi)"));
        if (!path.isEmpty())
            playVideoFile(path);
        return;
    }
    QString selected = plan.filterIndex == 2 ? QStringLiteral("JPEG Image File (*.jpg)") : QStringLiteral("Bitmaps (*.bmp)");
    const QString path = QFileDialog::getOpenFileName(&shell_.window(), QString(), plan.startFolder,
                                                      QStringLiteral("Bitmaps (*.bmp);;JPEG Image File (*.jpg)"), &selected);
    if (!path.isEmpty())
        openPicture(path, selected.startsWith(u"JPEG") ? 2 : 1);
}

void StillImageController::EditorImage_BtnClick() { toggleEditor(); }

void StillImageController::leaveEditMode() { exitImageEdit(); }

void StillImageController::ImageProcess_BtnClick() { toggleImageProcess(); }

void StillImageController::leaveImageProcessMode() { leaveImageProcess(); }

} // namespace app::ui
