#pragma once

#include "measure/lineprofile.h"

#include <QWidget>

#include <vector>

namespace measure::ui {

// The plot of a line profile, painted with QPainter: intensity 0..255 upwards, the distance along
// the line to the right in the profile's unit, with graduated axes. A plain polyline over two
// axes needs nothing of a chart library, keeps the dependencies at Qt's base modules and paints
// pixel for pixel the same under every style. UI thread.
class ProfilePlotWidget final : public QWidget
{
    Q_OBJECT
public:
    explicit ProfilePlotWidget(QWidget *parent = nullptr);

    void setProfile(LineProfile profile);
    const LineProfile &profile() const { return profile_; }
    // Axis titles without units; the distance axis adds the profile's unit.
    void setAxisTitles(const QString &distance, const QString &intensity);
    // The area inside the axes, in widget coordinates.
    QRect plotArea() const;
    // Where a sample is drawn.
    QPointF pointOf(double distance, double intensity) const;

    // Graduation of [0, range] into at most about `ticks` steps of 1, 2 or 5 times a power of ten.
    static double tickStep(double range, int ticks);

    QSize sizeHint() const override { return QSize(520, 260); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    LineProfile profile_;
    QString distanceTitle_, intensityTitle_;
};

} // namespace measure::ui
