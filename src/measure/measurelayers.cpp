#include "measure/measurelayers.h"

#include "platform/canvas.h"

#include <cstring>

namespace measure {

namespace {

void copyPixels(const platform::Bitmap &from, platform::Bitmap &to)
{
    if (from.size() != to.size() || from.isNull()) {
        to = from;
        return;
    }
    // Same size: copy into the existing buffer, which costs one memcpy instead of an allocation.
    const qsizetype bytes = from.bytesPerLine() * from.height();
    if (from.bytesPerLine() == to.bytesPerLine())
        std::memcpy(to.scanLine(0), from.constScanLine(0), size_t(bytes));
    else
        to = from;
}

platform::Bitmap blank(QSize size)
{
    return size.isEmpty() ? platform::Bitmap(1, 1, MeasureLayers::kTransparent)
                          : platform::Bitmap(size.width(), size.height(), MeasureLayers::kTransparent);
}

} // namespace

void MeasureLayers::resize(QSize size)
{
    if (layer_.size() != size) {
        layer_ = size.isEmpty() ? platform::Bitmap() : platform::Bitmap(size.width(), size.height(), kTransparent);
        forgetLayerLabels();
    }
    if (!committed_.isNull() && committed_.size() != size) {
        committed_ = blank(size);
        committedLabels_.clear();
    }
}

void MeasureLayers::enterMeasurementMode(QSize size)
{
    committed_ = blank(size);
    committedLabels_.clear();
}

void MeasureLayers::clear(bool overlap)
{
    if (!layer_.isNull())
        layer_.fill(kTransparent);
    forgetLayerLabels();
    if (overlap && !committed_.isNull()) {
        committed_.fill(kTransparent);
        committedLabels_.clear();
    }
}

void MeasureLayers::rebuild(bool overlap)
{
    if (layer_.isNull())
        return;
    forgetLayerLabels();
    if (overlap && !committed_.isNull() && committed_.size() == layer_.size()) {
        copyPixels(committed_, layer_);
        layerLabels_.setTaken(committedLabels_);
    } else {
        layer_.fill(kTransparent);
    }
}

void MeasureLayers::commit()
{
    if (!committed_.isNull()) {
        copyPixels(layer_, committed_);
        committedLabels_ = layerLabels_.taken();
    }
}

void MeasureLayers::drawScaleBarInto(platform::Bitmap &bitmap)
{
    if (!scaleBar_.drawInto || bitmap.isNull())
        return;
    LabelPlacer &placer = placerFor(bitmap);
    for (const QRect &cell : scaleBar_.drawInto(bitmap))
        placer.take(cell);
}

void MeasureLayers::emptyScaleLayerWhenPaused(bool live)
{
    if (!live && scaleBar_.emptyScaleLayer)
        scaleBar_.emptyScaleLayer();
}

void MeasureLayers::redrawScaleLayer()
{
    if (scaleBar_.redrawScaleLayer)
        scaleBar_.redrawScaleLayer();
}

void MeasureLayers::scaleChanged()
{
    if (scaleBar_.scaleChanged)
        scaleBar_.scaleChanged();
}

std::unique_ptr<platform::Canvas> MeasureLayers::canvasOn(platform::Bitmap &bitmap)
{
    if (canvasFactory_)
        return canvasFactory_(bitmap);
    return std::make_unique<platform::BitmapCanvas>(bitmap);
}

void MeasureLayers::paintPreview(ShapeDraft &shape, const LabelSettings &labels, int stage, const LabelContext &context)
{
    const std::unique_ptr<platform::Canvas> canvas = canvasOn(layer_);
    ShapeRenderer::applyUserPen(*canvas, shape);
    const bool labelled = ShapeRenderer::drawPreview(*canvas, shape, labels, stage);
    ShapeRenderer::drawSnapMarks(*canvas, shape);
    if (labelled)
        ShapeRenderer::ShowDrawInfo(*canvas, shape, labels, context, &layerLabels_);
}

void MeasureLayers::paintPlacedPoints(ShapeDraft &shape, const LabelSettings &labels, int count,
                                      const LabelContext &context)
{
    const std::unique_ptr<platform::Canvas> canvas = canvasOn(layer_);
    ShapeRenderer::applyUserPen(*canvas, shape);
    ShapeRenderer::drawPreview(*canvas, shape, labels, count);
    ShapeRenderer::drawSnapMarks(*canvas, shape);
    ShapeRenderer::ShowDrawInfo(*canvas, shape, labels, context, &layerLabels_);
}

void MeasureLayers::paintOutline(platform::Bitmap &target, ShapeDraft &shape, const LabelSettings &labels,
                                 const LabelContext &context)
{
    const std::unique_ptr<platform::Canvas> canvas = canvasOn(target);
    ShapeRenderer::applyUserPen(*canvas, shape);
    ShapeRenderer::drawFinalOutline(*canvas, shape, labels);
    ShapeRenderer::ShowDrawInfo(*canvas, shape, labels, context, &placerFor(target));
}

} // namespace measure
