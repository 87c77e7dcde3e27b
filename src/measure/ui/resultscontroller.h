#pragma once

#include "feature/feature.h"
#include "feature/ui/featurecontext.h"
#include "measure/resultstable.h"

#include <QObject>
#include <QString>

#include <optional>

namespace measure::ui {
class ResultsTableDialog;
}

namespace platform {
class Bitmap;
}

namespace measure::ui {

class MeasureController;

// What the results need from their peers; the composition root answers. UI thread.
class ResultsPort
{
public:
    // The still image shown beside the live picture: exported when the camera has no picture.
    virtual platform::Bitmap stillPicture() const = 0;

protected:
    ~ResultsPort() = default;
};

// The results table window (menu item and draw tool bar button) and "Export for analysis": the
// picture under the measurement as a calibrated TIFF. The table follows every change of the
// measurement and of the scale while it is shown. UI thread only.
class ResultsController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    ResultsController(feature::ui::FeatureContext context, ResultsPort &port, MeasureController &measure,
                      QObject *parent = nullptr);
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

    void languageChanged() override;

private:
    platform::Bitmap pictureToExport() const;
    // The results table's tool names in the current language.
    measure::ToolNames toolNames() const;
    std::optional<QString> askPath(const QString &folder, const QString &name, const QString &filter);

    feature::ui::FeatureContext ctx_;
    ResultsPort &port_;
    MeasureController &measure_;
    measure::ui::ResultsTableDialog *dialog_ = nullptr;
    QString lastCsvFolder_;
    bool placed_ = false;
};

} // namespace measure::ui
