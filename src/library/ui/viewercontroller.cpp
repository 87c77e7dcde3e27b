#include "viewercontroller.h"

#include "imageviewform.h"
#include "stillprinter.h"

#include "feature/actionstate.h"
#include "feature/ui/controls.h"
#include "feature/ui/shellport.h"
#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"
#include "state/appstate.h"
#include "state/usersettings.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

namespace library::ui {

using feature::ui::Controls;
using state::ControlId;
using Item = TImageViewForm::Item;

namespace {

// The filter tool bar's place in the main window, beside the still image.
constexpr QPoint kFilterBarHome(400, 364);

void removeIfPresent(const QString &path)
{
    if (QFile::exists(path))
        QFile::remove(path);
}

} // namespace

ViewerController::ViewerController(feature::ui::FeatureContext context, ViewerPort &port, QObject *parent)
    : QObject(parent), ctx_(context), port_(port), handOverPath_(context.paths.tempBmp)
{
    // A hand-over left by an earlier run belongs to no picture.
    removeIfPresent(handOverPath_);
    form_ = std::make_unique<TImageViewForm>();
    form_->setWindowIcon(ctx_.window.windowIcon());
    printer_ = std::make_unique<StillPrinter>(&ctx_.window);
    filterBarHome_ = filterBar()->parentWidget();
    connectControls();
    connectForm();
    applyTexts();
}

ViewerController::~ViewerController()
{
    // Closed without the close sequence (a test's shell going away): nothing is asked now.
    closingQuietly_ = true;
    form_.reset();
    removeIfPresent(handOverPath_);
}

void ViewerController::connectControls()
{
    Controls &c = ctx_.controls;
    connect(c.action(ControlId::ImageViewer_Tool), &QAction::triggered, this, &ViewerController::ImageViewer_ToolClick);
    connect(c.action(ControlId::PrintImage), &QAction::triggered, this, &ViewerController::PrintStillImage);
    connect(c.mainButton(ControlId::PrinterImage_Btn), &QPushButton::clicked, this, &ViewerController::PrintStillImage);
    connect(c.action(ControlId::PrintSet), &QAction::triggered, this, &ViewerController::PrintSetClick);
    // The filter mode ended: its bar goes home hidden, so that the next start shows it in the
    // main window and not in a corner of the viewer.
    connect(&ctx_.state, &state::AppState::flagsChanged, this, [this] {
        if (!ctx_.state.flags().ImageProcessMode && filterBar()->isHidden())
            returnFilterBar();
    });
}

void ViewerController::connectForm()
{
    TImageViewForm &f = *form_;
    Controls &c = ctx_.controls;
    connect(f.item(Item::Open_Image), &QAction::triggered, this, [this] {
        port_.openStillFile();
        ShowStillImage();
    });
    // The main window's own buttons, so that the viewer does exactly what they do (hidden in
    // the single-window presets, they still answer a click).
    connect(f.item(Item::Save_Image), &QAction::triggered, c.mainButton(ControlId::SaveImage_Btn), &QPushButton::click);
    connect(f.item(Item::Delete_Image), &QAction::triggered, this, [this] {
        ctx_.controls.mainButton(ControlId::DelViewVideo_Btn)->click();
        if (port_.stillPicture().isNull())
            form_->setPicture({});
    });
    connect(f.item(Item::Image_Process), &QAction::triggered, this, [this] {
        ctx_.controls.mainButton(ControlId::ImageProcess_Btn)->click();
        takeFilterBar();
    });
    connect(f.item(Item::Print_Image), &QAction::triggered, this, &ViewerController::PrintStillImage);
    connect(&f, &TImageViewForm::activated, this, &ViewerController::takeFilterBar);
    connect(&f, &TImageViewForm::closing, this, &ViewerController::onFormClosing);
}

void ViewerController::ImageViewer_ToolClick()
{
    port_.leaveFilterMode();
    ShowStillImage();
}

void ViewerController::ShowStillImage() { ShowStillImage(handOverPath_); }

void ViewerController::ShowStillImage(const QString &path)
{
    TImageViewForm &f = *form_;
    if (f.isMaximized())
        f.setWindowState(f.windowState() & ~Qt::WindowMaximized);
    // A hand-over file is always replaced; without one and without a picture there is nothing
    // to show. A stale file and an empty still area give nothing either: no empty picture is
    // ever written.
    removeIfPresent(path);
    const platform::Bitmap still = port_.stillPicture();
    if (still.isNull())
        return;
    platform::Bitmap shown = still;
    if (const platform::WriteResult w = platform::writeBmpFile(path, still); !w.ok()) {
        // The viewer still shows the picture; only the hand-over file is missing.
        ctx_.log.append(QStringLiteral("Cannot write ") + path + QStringLiteral(": ")
                            + QString::fromStdString(w.system.message()));
    } else if (platform::DecodedPicture d = platform::readPictureFile(path); d.ok()) {
        shown = std::move(d.bitmap);
    } else {
        ctx_.log.append(QStringLiteral("Cannot read ") + path + QStringLiteral(": ") + platform::pictureErrorText(d.error));
    }
    f.setPicture(shown);
    ctx_.state.setViewerOpen(true);
    applyTexts();
    sizeForm(true);
    f.show();
    f.raise();
    f.activateWindow();
}

void ViewerController::mainWindowActivated() { returnFilterBar(); }

void ViewerController::stillPictureChanged(bool resize)
{
    if (!form_->isVisible())
        return;
    const platform::Bitmap still = port_.stillPicture();
    const QSize before = form_->pictureSize();
    form_->setPicture(still);
    if (!still.isNull() && (resize || before != still.image().size()))
        sizeForm(false);
}

void ViewerController::sizeForm(bool atCorner)
{
    QMargins frame;
    if (const std::optional<QMargins> known = form_->knownFrame())
        frame = *known;
    else if (QWindow *main = ctx_.window.windowHandle(); main && ctx_.window.isVisible())
        frame = main->frameMargins();   // the same window manager decorates both windows
    form_->setCoolBarHeight(filterBar()->sizeHint().height());
    form_->sizeToPicture(frame, atCorner);
}

bool ViewerController::PrintStillImage() { return printer_->PrintStillImage(port_.stillPicture()); }

void ViewerController::PrintSetClick() { printer_->PrintSetClick(); }

QToolBar *ViewerController::filterBar() const { return ctx_.controls.toolBar(ControlId::ToolBar_ImageProcess); }

// Shown by the filter mode, wherever it sits now (the viewer may be hidden behind it).
bool ViewerController::filterBarShown() const { return !filterBar()->isHidden(); }

namespace {

// Tool buttons drawn raised wherever the bar goes.
void raiseButtons(QToolBar *bar)
{
    for (QToolButton *b : bar->findChildren<QToolButton *>())
        b->setAutoRaise(false);
}

} // namespace

void ViewerController::takeFilterBar()
{
    QToolBar *bar = filterBar();
    if (!filterBarShown() || !form_->isVisible() || bar->parentWidget() == form_->coolBar())
        return;
    bar->setParent(form_->coolBar());
    bar->move(0, 0);
    raiseButtons(bar);
    bar->show();
    bar->raise();
}

void ViewerController::returnFilterBar()
{
    QToolBar *bar = filterBar();
    if (bar->parentWidget() == filterBarHome_)
        return;
    // Hidden or not, the bar goes home: a closed viewer must not keep it out of sight.
    const bool shown = filterBarShown();
    bar->setParent(filterBarHome_);
    bar->move(kFilterBarHome);
    raiseButtons(bar);
    bar->setVisible(shown);
    bar->raise();
}

void ViewerController::onFormClosing()
{
    if (!closingQuietly_ && ctx_.state.flags().ViewerOpen) {
        port_.offerUnsavedStill();
        if (ctx_.state.flags().ImageProcessMode)
            port_.leaveFilterMode();
    }
    returnFilterBar();
    ctx_.state.setViewerOpen(false);
    // The hand-over served the window that closed.
    removeIfPresent(handOverPath_);
}

void ViewerController::applyActions(const feature::ActionState &s)
{
    if (!s.viewerItems)
        return;
    form_->item(Item::Save_Image)->setEnabled(s.viewerItems->save);
    form_->item(Item::Delete_Image)->setEnabled(s.viewerItems->remove);
    form_->item(Item::Image_Process)->setEnabled(s.viewerItems->imageProcess);
    form_->item(Item::Print_Image)->setEnabled(s.viewerItems->print);
}

void ViewerController::languageChanged() { applyTexts(); }

void ViewerController::applyTexts()
{
    form_->applyTexts([this](const QString &key) { return ctx_.shell.text(key); });
    // The menu item's caption names the dialog, without the dots that say a dialog follows.
    QString title = ctx_.shell.text(QStringLiteral("PrintSet->Caption")).trimmed();
    for (const QString &dots : {QStringLiteral("..."), QStringLiteral("\u2026")})
        if (title.endsWith(dots))
            title.chop(dots.size());
    printer_->setSetupTexts(title.trimmed(), ctx_.shell.text(QStringLiteral("OKBtn_Dlg")));
}

void ViewerController::beforeExit()
{
    // The unsaved-image question was asked by the still image; the filter mode shown in the
    // viewer ends with it.
    if (ctx_.state.flags().ViewerOpen && ctx_.state.flags().ImageProcessMode)
        port_.leaveFilterMode();
}

void ViewerController::closing()
{
    closingQuietly_ = true;
    form_->close();
    returnFilterBar();
}

} // namespace library::ui
