#pragma once

#include "measure/geometry.h"
#include "measure/shapes.h"

#include <QPoint>
#include <QSize>

#include <optional>
#include <utility>

namespace measure {

// Factors that convert stored coordinates after the window changed from `reference` to `current`
// while showing a picture of size `picture`; none when nothing changes. `rescaled` remembers that a
// window narrower than the picture already grew once (it is set and cleared here).
std::optional<std::pair<float, float>> windowChangeScale(QSize current, QSize picture, QSize reference, bool &rescaled);

// Where stored points live and how they follow the measurement window. A stored point is in
// picture pixels while the window is at least as wide as the picture, else in window pixels;
// when the window changes size, the shapes are converted by windowChangeScale. Sizes in pixels.
class ShapeRescaler
{
public:
    // The window and picture size; the first valid window becomes the reference size.
    void setGeometry(QSize window, QSize picture);
    // ResizeVideoWindow: the old window size becomes the reference.
    void resize(QSize window);
    QSize window() const { return window_; }
    QSize picture() const { return picture_; }
    QSize reference() const { return reference_; }
    // The drawing layers take the picture size, or the window size when the window is narrower.
    QSize layerSize() const;

    // Window pixels -> stored point.
    MeasurePoint mapPoint(QPoint windowPos) const;

    // A press: the window as it is now is what stored points belong to.
    void takeWindowAsReference() { reference_ = window_; }
    // Back to live video: an earlier growth of a narrow window is forgotten.
    void forgetGrowth() { rescaled_ = false; }
    // ChangeWindows: the factors for the shapes stored under the reference size, if any; the
    // current window becomes the reference, so a repaint at the same size converts nothing.
    std::optional<std::pair<float, float>> takeWindowChange();

    // Factors from stored points to pixels of a picture of `picture` size (a burn-in), none when
    // the stored points already are in its pixels.
    std::optional<std::pair<float, float>> toPicture(QSize picture) const;
    // Factors from pixels of a saved picture of `picture` size back to stored points.
    std::optional<std::pair<float, float>> fromPicture(QSize picture) const;

    // Every point the shape's kind uses, multiplied by (fx, fy).
    static void convert(ShapeDraft &shape, float fx, float fy);
    static void convert(ShapeDraft &shape, std::pair<float, float> factors) { convert(shape, factors.first, factors.second); }

private:
    QSize window_;
    QSize picture_;
    QSize reference_;
    bool rescaled_ = false;
};

} // namespace measure
