#pragma once

#include "measure/labelplacer.h"
#include "measure/shaperenderer.h"
#include "measure/shapes.h"
#include "platform/bitmap.h"

#include <QSize>

#include <functional>
#include <memory>

namespace platform {
class Canvas;
}

namespace measure {

// Hooks into the scale bar, which is drawn by its own part of the program.
struct ScaleBarHooks {
    // Draws the scale bar into a layer; answers the cells of the texts it wrote there.
    std::function<std::vector<QRect>(platform::Bitmap &)> drawInto;
    std::function<void()> emptyScaleLayer;             // picture paused: the scale layer is emptied
    std::function<void()> redrawScaleLayer;            // after clearing with mode 1
    std::function<void()> scaleChanged;                // setScale took a new scale: repaint
};

// The two bitmaps of the measuring surface: the drawing layer shown over the picture, and the
// committed bitmap that holds the completed shapes while overlap is on (each preview starts from
// it). Both are white where nothing is drawn: white is the transparency key. Beside each bitmap
// go the cells of the labels written on it, so that a new label finds a free place; a picture
// painted for saving keeps its own. UI thread only.
class MeasureLayers
{
public:
    static constexpr platform::ColorRef kTransparent = 0xFFFFFF;

    const platform::Bitmap &layer() const { return layer_; }
    platform::Bitmap &layer() { return layer_; }
    const platform::Bitmap &committed() const { return committed_; }
    // Measurement mode holds a committed bitmap; outside it there is none.
    bool hasCommitted() const { return !committed_.isNull(); }

    // Both bitmaps take `size` (the committed one only in measurement mode); an empty size leaves
    // a 1 x 1 committed bitmap, so measurement mode stays on.
    void resize(QSize size);
    void enterMeasurementMode(QSize size);
    void exitMeasurementMode() { committed_ = platform::Bitmap(); }

    // The drawing layer emptied; with overlap the committed shapes go too.
    void clear(bool overlap);
    // The drawing layer back to the committed shapes (overlap) or empty.
    void rebuild(bool overlap);
    // The drawing layer as it stands becomes the committed bitmap.
    void commit();

    void setScaleBarHooks(ScaleBarHooks hooks) { scaleBar_ = std::move(hooks); }
    // The scale bar's texts are taken places for the labels of `bitmap` (the drawing layer, or the
    // picture begun with beginPicture).
    void drawScaleBarInto(platform::Bitmap &bitmap);
    // Over a paused picture the separate scale layer is emptied (its bar lives in this layer).
    void emptyScaleLayerWhenPaused(bool live);
    void redrawScaleLayer();
    void scaleChanged();

    // The canvas put on a bitmap for each repaint; a BitmapCanvas unless a test records the calls.
    using CanvasFactory = std::function<std::unique_ptr<platform::Canvas>(platform::Bitmap &)>;
    void setCanvasFactory(CanvasFactory factory) { canvasFactory_ = std::move(factory); }

    // The rubber band of `stage` on the drawing layer, with its live label when the stage has one.
    void paintPreview(ShapeDraft &shape, const LabelSettings &labels, int stage, const LabelContext &context);
    // The list shape's placed points and label, after a release that did not finish it.
    void paintPlacedPoints(ShapeDraft &shape, const LabelSettings &labels, int count, const LabelContext &context);
    // A picture of `size` is about to be painted for saving: none of its labels is placed yet.
    void beginPicture(QSize size) { pictureLabels_.reset(size); }
    // The cells of the labels on the drawing layer, in writing order.
    const std::vector<QRect> &layerLabels() const { return layerLabels_.taken(); }
    // The completed outline with its label onto `target` (the drawing layer or a picture begun
    // with beginPicture).
    void paintOutline(platform::Bitmap &target, ShapeDraft &shape, const LabelSettings &labels,
                      const LabelContext &context);

private:
    std::unique_ptr<platform::Canvas> canvasOn(platform::Bitmap &bitmap);
    LabelPlacer &placerFor(const platform::Bitmap &target) { return &target == &layer_ ? layerLabels_ : pictureLabels_; }
    void forgetLayerLabels() { layerLabels_.reset(layer_.size()); }

    platform::Bitmap layer_;
    platform::Bitmap committed_;
    LabelPlacer layerLabels_;
    std::vector<QRect> committedLabels_;
    LabelPlacer pictureLabels_;
    ScaleBarHooks scaleBar_;
    CanvasFactory canvasFactory_;
};

} // namespace measure
