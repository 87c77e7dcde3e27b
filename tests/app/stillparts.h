#pragma once

// The shell with the features of the still image (still image and library, editor, filters,
// optionally the image viewer) and the window's own (presets, live modes), wired as the program
// wires them, addressed as a test reads best: controls by their table name. The ports of the
// features not built here answer nothing.
#include "app/ui/layoutcontroller.h"
#include "app/ui/livemodecontroller.h"
#include "app/ui/mainwindow.h"
#include "app/ui/shell.h"
#include "feature/ui/controls.h"
#include "imaging/stilldocument.h"
#include "imaging/ui/editorcontroller.h"
#include "imaging/ui/filtercontroller.h"
#include "imaging/ui/stillimagecontroller.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "library/ui/viewercontroller.h"

#include "scripteddialogs.h"
#include "stillpeers.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>

#include <memory>

namespace stillparts {

using namespace app::ui;
using C = state::ControlId;

struct Parts final : fakes::StillPeers,
                     imaging::ui::EditorPort,
                     imaging::ui::FilterPort,
                     library::ui::ViewerPort,
                     LayoutPort {
    fakes::ScriptedDialogs dialogs;
    std::unique_ptr<Shell> shell;
    imaging::ui::StillImageController *still = nullptr;
    LayoutController *layout = nullptr;
    LiveModeController *live = nullptr;
    imaging::ui::EditorController *editor = nullptr;
    imaging::ui::FilterController *filters = nullptr;
    library::ui::ViewerController *viewer = nullptr;

    void build(ShellDeps deps)
    {
        shell = std::make_unique<Shell>(std::move(deps));
        const feature::ui::FeatureContext ctx = shell->context();
        MainWindow &win = shell->window();
        still = new imaging::ui::StillImageController(ctx, *this, *win.stillView(), {}, shell.get());
        win.placeLibrary(&still->browser());
        layout = new LayoutController(*shell, *this, shell.get());
        live = new LiveModeController(*shell, shell.get());
        editor = new imaging::ui::EditorController(ctx, *this, still->document(), still->view(), shell.get());
        filters = new imaging::ui::FilterController(ctx, *this, still->document(), still->view(), shell.get());
        for (Feature *f : std::initializer_list<Feature *>{still, layout, live, editor, filters})
            shell->addFeature(f);
    }
    // The image viewer window, following the still picture as in the program.
    library::ui::ViewerController &addViewer()
    {
        viewer = new library::ui::ViewerController(shell->context(), *this, shell.get());
        shell->addFeature(viewer);
        QObject::connect(&still->document(), &imaging::StillDocument::changed, viewer,
                         [this](imaging::StillDocument::Change change) {
                             using Change = imaging::StillDocument::Change;
                             if (change != Change::Saved && change != Change::Marked)
                                 viewer->stillPictureChanged(change == Change::Loaded);
                         });
        return *viewer;
    }

    MainWindow &window() const { return shell->window(); }
    MainWindow *operator->() const { return &shell->window(); }
    QAction *action(const char *name) const { return shell->controls().action(*state::controlByName(name)); }
    QToolBar *toolBar(const char *name) const { return shell->controls().toolBar(*state::controlByName(name)); }
    QPushButton *mainButton(C id) const { return shell->controls().mainButton(id); }
    const state::AppFlags &flags() const { return shell->state().flags(); }
    const state::DefaultData &defData() const { return shell->state().settings(); }
    const state::ListPaths &curListPath() const { return shell->state().curListPath(); }
    library::ui::ThumbnailBrowserWidget *browser() const { return &still->browser(); }
    imaging::StillDocument &document() const { return still->document(); }
    QLabel *deviceLabel() const { return shell->controls().label(C::DeviceStatus_Lab); }
    void setCaptureNumbers(qint32 bmp, qint32 jpg)
    {
        state::CaptureNumbers n = shell->state().captureNumbers();
        n.bmp = bmp;
        n.jpg = jpg;
        shell->state().setCaptureNumbers(n);
    }

    // The ports, answered by the features built here.
    void leaveEditor() override { editor->ExitImageEdit(); }
    void leaveFilterMode() override { filters->ExitImageProcess(); }
    void showStillInViewer() override
    {
        if (viewer)
            viewer->ShowStillImage();
    }
    void resetFilterButtons() override { filters->ImaProToolBtn_Reset(); }
    bool saveStill(const platform::Bitmap &picture) override { return still->Save_ImageFile(picture); }
    void deleteStill() override { still->DeleteImage(); }
    void offerUnsavedStill() override { still->beforeExit(); }
    void resetEditorTool() override { editor->resetTool(); }
    platform::Bitmap stillPicture() const override { return still->document().picture(); }
    void openStillFile() override { still->OpenFileClick(); }
    void stopVideo() override {}
};

} // namespace stillparts
