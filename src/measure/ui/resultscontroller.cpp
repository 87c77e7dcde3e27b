#include "resultscontroller.h"

#include "measurecontroller.h"

#include "feature/ui/controls.h"
#include "feature/ui/shellport.h"
#include "feature/ui/userdialogs.h"
#include "library/capturenumber.h"
#include "measure/analysisexport.h"
#include "measure/measuringsession.h"
#include "measure/resultstable.h"
#include "measure/ui/measuringsurface.h"
#include "measure/ui/resultstabledialog.h"
#include "platform/bitmap.h"
#include "platform/clock.h"
#include "platform/diagnosticslog.h"
#include "platform/tiffwriter.h"
#include "state/appstate.h"
#include "state/usersettings.h"
#include "state/uiprotocol.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace measure::ui {

using feature::ui::Controls;
using state::ControlId;

ResultsController::ResultsController(feature::ui::FeatureContext context, ResultsPort &port, MeasureController &measure,
                                     QObject *parent)
    : QObject(parent), ctx_(context), port_(port), measure_(measure)
{
    Controls &c = ctx_.controls;
    connect(c.action(ControlId::ResultsTable_Tool), &QAction::triggered, this, &ResultsController::showResults);
    connect(c.button(ControlId::DrawRulerTB_Results), &QAbstractButton::clicked, this, &ResultsController::showResults);
    connect(c.action(ControlId::ExportAnalysis), &QAction::triggered, this, [this] { exportForAnalysis(); });
    // Drawing, undo, redo and clear all repaint the layer; a scale change may not (outside
    // measurement mode), so it is followed on its own.
    measure::MeasuringSurface &surface = measure_.surface();
    for (auto signal : {&measure::MeasuringSurface::layerChanged, &measure::MeasuringSurface::historyChanged,
                        &measure::MeasuringSurface::scaleChanged})
        connect(&surface, signal, this, [this] {
            if (dialog_ && dialog_->isVisible())
                refresh();
        });
}

ResultsController::~ResultsController() = default;

measure::ui::ResultsTableDialog &ResultsController::dialog()
{
    if (!dialog_) {
        dialog_ = new measure::ui::ResultsTableDialog([this](const QString &key) { return ctx_.shell.text(key); },
                                                      &ctx_.window);
        connect(dialog_, &measure::ui::ResultsTableDialog::copyRequested, this, &ResultsController::copyResults);
        connect(dialog_, &measure::ui::ResultsTableDialog::exportRequested, this, &ResultsController::exportResults);
    }
    return *dialog_;
}

void ResultsController::showResults()
{
    measure::ui::ResultsTableDialog &d = dialog();
    refresh();
    if (!placed_) {
        // Beside the picture rather than over it: right of the main window where the screen has
        // room, else in the screen's bottom-right corner.
        placed_ = true;
        const QRect main = ctx_.window.frameGeometry();
        const QScreen *screen = ctx_.window.screen();
        const QRect area = screen ? screen->availableGeometry() : QRect();
        QPoint at(main.right() + 1, main.top());
        constexpr int kFrameAllowance = 24;   // the window manager's frame is not known before showing
        if (area.isValid() && at.x() + d.width() + kFrameAllowance > area.right())
            at = QPoint(std::max(area.left(), area.right() - d.width() - kFrameAllowance),
                        std::max(area.top(), area.bottom() - d.height() - 2 * kFrameAllowance));
        d.move(at);
    }
    d.show();
    d.raise();
}

void ResultsController::refresh()
{
    const measure::MeasuringSession &session = measure_.surface().session();
    dialog().setRows(measure::resultRows(session), int(session.scale().unit));
}

measure::ToolNames ResultsController::toolNames() const
{
    return measure::ui::ResultsTableDialog::toolNames([this](const QString &key) { return ctx_.shell.text(key); });
}

void ResultsController::copyResults()
{
    const measure::MeasuringSession &session = measure_.surface().session();
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(measure::resultsTsv(measure::resultRows(session), int(session.scale().unit), toolNames()));
}

std::optional<QString> ResultsController::askPath(const QString &folder, const QString &name, const QString &filter)
{
    QFileDialog dialog(dialog_ && dialog_->isVisible() ? static_cast<QWidget *>(dialog_) : &ctx_.window, QString(),
                       folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(name);
    return feature::ui::askFile(ctx_.dialogs, dialog);
}

void ResultsController::exportResults()
{
    const measure::MeasuringSession &session = measure_.surface().session();
    const QString folder = lastCsvFolder_.isEmpty() ? ctx_.state.curListPath()[state::kListJpg] : lastCsvFolder_;
    const QString name = library::firstFreeNumberedName(
        QStringLiteral("Results_"), ctx_.clock.today(),
        [&folder](const QString &n) { return QFileInfo::exists(QDir(folder).filePath(n + QStringLiteral(".csv"))); });
    const std::optional<QString> path = askPath(folder, name + QStringLiteral(".csv"), QStringLiteral("CSV (*.csv)"));
    if (!path)
        return;
    lastCsvFolder_ = QFileInfo(*path).absolutePath();
    const std::error_code error =
        measure::writeResultsCsv(*path, measure::resultRows(session), measure::resultsMetadata(session), toolNames());
    if (error) {
        ctx_.log.append(QStringLiteral("Results export: writing %1 failed (%2)")
                                .arg(*path, QString::fromStdString(error.message())));
        ctx_.shell.ShowMessageBox(QStringLiteral("CannotExportResults_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                              state::kIconError);
    }
}

platform::Bitmap ResultsController::pictureToExport() const
{
    platform::Bitmap picture = measure_.currentPicture();
    if (picture.isNull())
        picture = port_.stillPicture();
    return picture;
}

bool ResultsController::exportForAnalysis()
{
    const platform::Bitmap picture = pictureToExport();
    if (picture.isNull()) {
        ctx_.log.append(QStringLiteral("Export for analysis: no picture"));
        return false;
    }
    const QString folder = ctx_.state.curListPath()[state::kListJpg];
    // Proposed in the library's style, but no capture counter moves: the browser's pages stay
    // BMP, JPG and AVI, and a TIFF is no capture.
    const QString name = library::firstFreeNumberedName(
        QStringLiteral("Tif_"), ctx_.clock.today(),
        [&folder](const QString &n) { return QFileInfo::exists(QDir(folder).filePath(n + QStringLiteral(".tif"))); });
    const std::optional<QString> path = askPath(folder, name + QStringLiteral(".tif"), QStringLiteral("TIFF (*.tif *.tiff)"));
    if (!path)
        return false;
    const measure::MeasuringSession &session = measure_.surface().session();
    const platform::TiffOptions options = measure::analysisTiffOptions(session.scale(), picture.size());
    const std::error_code error = platform::writeTiff(*path, picture.image(), options);
    if (error) {
        ctx_.log.append(QStringLiteral("Export for analysis: writing %1 failed (%2)")
                                .arg(*path, QString::fromStdString(error.message())));
        ctx_.shell.ShowMessageBox(QStringLiteral("CannotExportTiff_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                              state::kIconError);
        return false;
    }
    return true;
}

void ResultsController::languageChanged()
{
    if (dialog_)
        dialog_->retranslate();
}

} // namespace measure::ui
