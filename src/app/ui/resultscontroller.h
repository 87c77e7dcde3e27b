#pragma once

#include "app/ui/feature.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace measure::ui {
class ResultsTableDialog;
}

namespace platform {
class Bitmap;
}

namespace app::ui {

class MeasureController;
class Shell;

// The results table window (menu item and draw tool bar button) and "Export for analysis": the
// picture under the measurement as a calibrated TIFF. The table follows every change of the
// measurement and of the scale while it is shown. UI thread only.
class ResultsController final : public QObject, public Feature
{
    Q_OBJECT
public:
    ResultsController(Shell &shell, MeasureController &measure, QObject *parent = nullptr);
    ~ResultsController() override;

    void showResults();
    // Rebuilds the rows from the measurement (done on every change while the window is shown).
    void refresh();
    measure::ui::ResultsTableDialog &dialog();

    // Copy: tab-separated rows on the clipboard.
    void copyResults();
    // Export: asks for a .csv name and writes it atomically; a failure is reported.
    void exportResults();
    // "Export for analysis": asks for a .tif name ("Tif_" + date + the first free number in the
    // JPG folder) and writes the picture with its scale. False when nothing was written.
    bool exportForAnalysis();

    // The save dialogs: start folder and proposed file name (with extension); nullopt when
    // cancelled. Default: a file dialog over the main window. Tests answer instead.
    std::function<std::optional<QString>(const QString &folder, const QString &name)> chooseCsvPath;
    std::function<std::optional<QString>(const QString &folder, const QString &name)> chooseTiffPath;
    // The still image shown beside the live picture: exported when the camera has no picture.
    std::function<platform::Bitmap()> stillPicture;

    void applyRules(const ActionInputs &in, ActionState &s) const override;
    void languageChanged() override;

private:
    platform::Bitmap pictureToExport() const;
    std::optional<QString> askPath(const QString &folder, const QString &name, const QString &filter);

    Shell &shell_;
    MeasureController &measure_;
    measure::ui::ResultsTableDialog *dialog_ = nullptr;
    QString lastCsvFolder_;
    bool placed_ = false;
};

} // namespace app::ui
