#pragma once

#include "app/ui/feature.h"

#include <QObject>
#include <QString>

#include <memory>

class QToolBar;

namespace library::ui {
class StillPrinter;
class TImageViewForm;
} // namespace library::ui

namespace app::ui {

class Shell;
class StillImageController;

// The image viewer window and printing of the still picture. The viewer shows the still picture
// at its own size (for the single-window presets, where the main window has no still area) and
// forwards its menu to the main window's operations; the picture stays the still area's. The
// only writer of ViewerOpen. UI thread.
class ViewerController final : public QObject, public Feature
{
    Q_OBJECT
public:
    ViewerController(Shell &shell, StillImageController &still, QObject *parent = nullptr);
    ~ViewerController() override;

    // Shows (or refreshes and focuses) the viewer with the still picture, handed over through
    // the file `path` (Temp.bmp in the user's data folder). With no still picture nothing changes.
    void ShowStillImage(const QString &path);
    void ShowStillImage();
    void ImageViewer_ToolClick();
    // The print dialog, then the still picture at its physical screen size; true when printed.
    bool PrintStillImage();
    void PrintSetClick();

    library::ui::TImageViewForm &form() const { return *form_; }
    library::ui::StillPrinter &printer() const { return *printer_; }

    void applyRules(const ActionInputs &in, ActionState &s) const override;
    void languageChanged() override;
    void beforeExit() override;
    void closing() override;

private:
    void connectControls();
    void connectForm();
    void onFormClosing();
    // The still picture changed: a showing viewer follows it; `resize` when it may have a new size.
    void followStillPicture(bool resize);
    void sizeForm();
    QToolBar *filterBar() const;
    bool filterBarShown() const;
    void takeFilterBar();
    void returnFilterBar();

    Shell &shell_;
    StillImageController &still_;
    QString handOverPath_;
    std::unique_ptr<library::ui::TImageViewForm> form_;
    std::unique_ptr<library::ui::StillPrinter> printer_;
    QWidget *filterBarHome_ = nullptr;
    bool closingQuietly_ = false;
};

} // namespace app::ui
