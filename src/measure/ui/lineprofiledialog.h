#pragma once

#include "measure/lineprofile.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace measure::ui {

class ProfilePlotWidget;

// The line profile's window: the plot, the line's length and sample count, Export CSV and Close.
// Stays open beside the main window; a new line replaces its profile. UI thread.
class LineProfileDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit LineProfileDialog(QWidget *parent = nullptr);

    void setProfile(LineProfile profile);
    const LineProfile &profile() const;
    ProfilePlotWidget *plot() const { return plot_; }
    QPushButton *exportButton() const { return export_; }
    // `lengthFormat` holds %1 (the length), %2 (its unit) and %3 (the samples).
    void setTexts(const QString &title, const QString &distance, const QString &intensity, const QString &lengthFormat,
                  const QString &exportText, const QString &closeText);
    QString lengthText() const;

Q_SIGNALS:
    void exportRequested();

private:
    void showLength();

    ProfilePlotWidget *plot_ = nullptr;
    QLabel *length_ = nullptr;
    QPushButton *export_ = nullptr;
    QPushButton *close_ = nullptr;
    QString lengthFormat_;
};

} // namespace measure::ui
