#pragma once

#include "feature/feature.h"
#include "feature/ui/featurecontext.h"
#include "platform/bitmap.h"

#include <QObject>
#include <QString>

#include <memory>

class QToolBar;

namespace library::ui {

class StillPrinter;
class TImageViewForm;

// What the image viewer needs from its peers; the composition root answers. UI thread.
class ViewerPort
{
public:
    // The still picture of the main window (null when the area is empty).
    virtual platform::Bitmap stillPicture() const = 0;
    // The main window's open item, its question about unsaved work, and leaving the filter mode.
    virtual void openStillFile() = 0;
    virtual void offerUnsavedStill() = 0;
    virtual void leaveFilterMode() = 0;

protected:
    ~ViewerPort() = default;
};

// The image viewer window and printing of the still picture. The viewer shows the still picture
// at its own size (for the single-window presets, where the main window has no still area) and
// forwards its menu to the main window's operations; the picture stays the still area's. The
// only writer of ViewerOpen. UI thread.
class ViewerController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    ViewerController(feature::ui::FeatureContext context, ViewerPort &port, QObject *parent = nullptr);
    ~ViewerController() override;

    // Shows (or refreshes and focuses) the viewer with the still picture, handed over through
    // the file `path` (Temp.bmp in the user's data folder). With no still picture nothing changes.
    void ShowStillImage(const QString &path);
    void ShowStillImage();
    void ImageViewer_ToolClick();
    // The print dialog, then the still picture at its physical screen size; true when printed.
    bool PrintStillImage();
    void PrintSetClick();

    TImageViewForm &form() const { return *form_; }
    StillPrinter &printer() const { return *printer_; }

    // The still picture changed: a showing viewer follows it; `newPicture` when it may have a new
    // size (a picture put in place rather than edited).
    void stillPictureChanged(bool newPicture);
    // The main window became the active one: the filter tool bar goes back to it.
    void mainWindowActivated();

    void applyActions(const feature::ActionState &s) override;
    void languageChanged() override;
    void beforeExit() override;
    void closing() override;

private:
    void connectControls();
    void connectForm();
    void onFormClosing();
    // Sizes the window to the picture; `atCorner` also places it at the top left of the screen
    // (showing the still image does; following an edit or a new picture does not).
    void sizeForm(bool atCorner);
    void applyTexts();
    QToolBar *filterBar() const;
    bool filterBarShown() const;
    void takeFilterBar();
    void returnFilterBar();

    feature::ui::FeatureContext ctx_;
    ViewerPort &port_;
    QString handOverPath_;
    std::unique_ptr<TImageViewForm> form_;
    std::unique_ptr<StillPrinter> printer_;
    QWidget *filterBarHome_ = nullptr;
    bool closingQuietly_ = false;
};

} // namespace library::ui
