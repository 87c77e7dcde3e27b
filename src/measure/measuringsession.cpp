#include "measure/measuringsession.h"

#include <algorithm>
#include <cmath>

namespace measure {

MeasuringSession::MeasuringSession() : scale_(scales::firstBuiltInScale())
{
    savedShape_ = shape_;
    savedLabels_ = labels_;
}

// --- records ------------------------------------------------------------------------------------

void MeasuringSession::setFlags(const SurfaceFlags &flags)
{
    if (flags.live && !flags_.live)
        rescaler_.forgetGrowth();
    flags_ = flags;
}

void MeasuringSession::setScale(const scales::RulerScaleControl &scale)
{
    scale_ = scale;
    layers_.scaleChanged();
}

void MeasuringSession::setLabelSettings(const LabelSettings &settings)
{
    const int counter = labels_.counter;
    labels_ = settings;
    labels_.counter = counter;
    const int savedCounter = savedLabels_.counter;
    savedLabels_ = settings;
    savedLabels_.counter = savedCounter;
    for (std::size_t i = 0; i < history_.size(); ++i) {
        LabelSettings &node = history_.node(i).labels;
        const int number = node.counter;
        node = settings;
        node.counter = number;
    }
}

// Pen and colour changes go into the saved copy as well: a history repaint restores the live
// record from it, and the user's current pen must survive that.
void MeasuringSession::setPenComboItem(int item)
{
    const PenChoice pen = penForComboItem(std::clamp(item, 0, 6));
    shape_.penStyle = savedShape_.penStyle = pen.style;
    shape_.penWidth = savedShape_.penWidth = pen.width;
}

void MeasuringSession::setColour(platform::ColorRef chosen)
{
    shape_.colour = savedShape_.colour = storableColour(chosen);
}

LabelContext MeasuringSession::labelContext(bool saving, QSize bitmap) const
{
    LabelContext c;
    c.hLength = scale_.hLength;
    c.vLength = scale_.vLength;
    c.scaleUnitIndex = int(scale_.unit);
    c.window = rescaler_.window();
    c.picture = rescaler_.picture();
    c.bitmap = bitmap;
    c.useBitmap = saving;
    c.calibrating = flags_.calibrating;
    return c;
}

void MeasuringSession::DataSaveToTemp()
{
    savedShape_ = shape_;
    savedLabels_ = labels_;
}

void MeasuringSession::DataReadFromTemp()
{
    shape_ = savedShape_;
    labels_ = savedLabels_;
}

// --- geometry -----------------------------------------------------------------------------------

void MeasuringSession::setGeometry(QSize window, QSize picture)
{
    rescaler_.setGeometry(window, picture);
    layers_.resize(rescaler_.layerSize());
}

SurfaceOutcome MeasuringSession::resizeWindow(QSize window)
{
    rescaler_.resize(window);
    layers_.resize(rescaler_.layerSize());
    return ChangeWindows();
}

// --- measurement mode and tools -------------------------------------------------------------------

void MeasuringSession::EntryMeasurementMode()
{
    layers_.enterMeasurementMode(rescaler_.layerSize());
}

void MeasuringSession::ExitMeasurementMode()
{
    layers_.exitMeasurementMode();
}

CursorKind MeasuringSession::selectTool(ShapeKind kind)
{
    protocol_.setToolKind(kind);
    return ApplyShapeTool();
}

CursorKind MeasuringSession::ApplyShapeTool()
{
    const ShapeKind kind = protocol_.toolKind();
    if (kind == ShapeKind::None) {
        if (!protocol_.noTool()) {
            protocol_.setNoTool(true);
            ClearData(1);
        }
        return CursorKind::Normal;
    }
    protocol_.setNoTool(false);
    if (kind != shape_.kind) {
        if (!overlap_)
            ClearData(1);
        // The saved copy follows, or a history repaint would bring the previous tool back.
        shape_.kind = savedShape_.kind = kind;
    }
    return CursorKind::Cross;
}

SurfaceOutcome MeasuringSession::setOverlap(bool on)
{
    overlap_ = on;
    return ClearData(1);
}

SurfaceOutcome MeasuringSession::ClearData(int mode)
{
    shape_.a = shape_.b = shape_.c = shape_.d = {};
    shape_.polygonCount = shape_.nodeCount = shape_.multiCount = 0;
    shape_.polygon.fill({});
    shape_.nodes.fill({});
    shape_.multi.fill({});
    shape_.segmentLengths.fill(0.0f);
    shape_.snapped.clear();
    shape_.fitResidualPx = 0;
    DataSaveToTemp();
    layers_.clear(overlap_);
    if (mode == 1)
        layers_.redrawScaleLayer();
    history_.clear();
    if (overlap_ && mode == 1)
        history_.recordNode(shape_, labels_);
    if (!overlap_)
        labels_.counter = 0;
    SurfaceOutcome out;
    out.layerChanged = true;
    return out;
}

SurfaceOutcome MeasuringSession::UndoList()
{
    if (history_.empty() || history_.atFirst() || !overlap_)
        return {};
    history_.stepBack();
    return DrawUndoRedo();
}

SurfaceOutcome MeasuringSession::RedoList()
{
    if (history_.empty() || history_.atLast() || !overlap_)
        return {};
    history_.stepForward();
    return DrawUndoRedo();
}

// --- the mouse ----------------------------------------------------------------------------------

void MeasuringSession::prepareScaleBar(platform::Bitmap &target)
{
    layers_.emptyScaleLayerWhenPaused(flags_.live);
    // The bar lives in the drawing layer over a frozen or loaded picture as well: without it the
    // bar would vanish while a shape is being drawn there.
    layers_.drawScaleBarInto(target);
}

std::optional<MeasuringSession::SnapPicture> MeasuringSession::snapPicture() const
{
    if (!pictureSource_)
        return std::nullopt;
    SnapPicture s{pictureSource_(), 1, 1};
    // Stored points are in layer pixels: the picture's, or the window's when it is narrower.
    const QSize layer = rescaler_.layerSize();
    if (s.picture.isNull() || layer.isEmpty())
        return std::nullopt;
    s.fx = double(s.picture.width()) / layer.width();
    s.fy = double(s.picture.height()) / layer.height();
    return s;
}

MeasurePoint MeasuringSession::snapPoint(MeasurePoint p, const PointerInput &in)
{
    if (snapping_ == in.invertSnap || !snapsPoints(protocol_.toolKind()))
        return p;
    const std::optional<SnapPicture> s = snapPicture();
    if (!s)
        return p;
    const std::optional<EdgeSnap> edge = snapToEdge(LumaSampler(s->picture), {p.x * s->fx, p.y * s->fy});
    if (!edge)
        return p;   // no edge above the noise: the point stays where it was clicked
    const PrecisePoint precise{edge->point.x / s->fx, edge->point.y / s->fy};
    const MeasurePoint stored{float(precise.x), float(precise.y)};
    dropUnusedSnapped(shape_);
    shape_.snapped.add(stored, precise);
    return stored;
}

bool MeasuringSession::releasePlacesSnappablePoint() const
{
    const ShapeKind kind = shape_.kind;
    const int placed = protocol_.clickCounter(kind);
    switch (kind) {
    case ShapeKind::Line:
    case ShapeKind::AuxiliaryLine:
    case ShapeKind::TwoPointsCircle:
    case ShapeKind::ThreePointsCircle:
    case ShapeKind::ThreePointsAngle:
    case ShapeKind::ThreePointsFillet:
    case ShapeKind::FourPointsAngle: return placed >= 1;
    case ShapeKind::Arc:
    case ShapeKind::Arch: return placed == 1;
    default: return snapsPoints(kind);   // every release of a list shape places or finishes
    }
}

bool MeasuringSession::pressEdgeCircle(const PointerInput &in, MeasurePoint click, SurfaceOutcome &out)
{
    const std::optional<SnapPicture> s = snapPicture();
    if (!s)
        return false;
    EdgeCircleOptions options;
    const std::optional<CircleFit> fit = circleByEdge(LumaSampler(s->picture), {click.x * s->fx, click.y * s->fy}, options);
    if (!fit)
        return false;
    // Kept as the ends of a diameter, so that it is drawn, rescaled, saved and labelled as a
    // two-point circle is: a horizontal one, or the first of three other directions whose ends
    // both lie on the picture (a saved picture refuses points beyond its edges).
    const QSize layer = rescaler_.layerSize();
    const auto end = [&](double angle, double side) {
        return PrecisePoint{(fit->centre.x + side * fit->radius * std::cos(angle)) / s->fx,
                            (fit->centre.y + side * fit->radius * std::sin(angle)) / s->fy};
    };
    const auto onPicture = [&](PrecisePoint p) { return p.x >= 0 && p.y >= 0 && p.x <= layer.width() && p.y <= layer.height(); };
    PrecisePoint a = end(0, -1), b = end(0, 1);
    for (const double angle : {kPi / 2, kPi / 4, 3 * kPi / 4}) {
        if (onPicture(a) && onPicture(b))
            break;
        a = end(angle, -1);
        b = end(angle, 1);
    }
    const MeasurePoint storedA{float(a.x), float(a.y)}, storedB{float(b.x), float(b.y)};
    protocol_.press(in, storedA, flags_, shape_, labels_, out);
    if (!protocol_.inProgress())
        return false;
    shape_.b = storedB;
    shape_.snapped.clear();
    shape_.snapped.add(storedA, a);
    shape_.snapped.add(storedB, b);
    shape_.fitResidualPx = fit->rmsResidual;
    return true;
}

SurfaceOutcome MeasuringSession::press(const PointerInput &in)
{
    SurfaceOutcome out;
    rescaler_.takeWindowAsReference();
    const MeasurePoint p = rescaler_.mapPoint(in.pos);
    const bool starts = in.button == PointerButton::Left && !protocol_.noTool() && !protocol_.inProgress();
    if (starts && protocol_.toolKind() == ShapeKind::EdgeCircle) {
        pressEdgeCircle(in, p, out);   // no circle found around the click: nothing starts
        return out;
    }
    if (starts) {
        // A new shape: the snapped points of the last one go with it.
        shape_.snapped.clear();
        shape_.fitResidualPx = 0;
    }
    protocol_.press(in, starts ? snapPoint(p, in) : p, flags_, shape_, labels_, out);
    return out;
}

SurfaceOutcome MeasuringSession::move(const PointerInput &in)
{
    SurfaceOutcome out;
    if (layers_.layer().isNull())
        return out;
    const ClickProtocol::Step step = protocol_.move(in, rescaler_.mapPoint(in.pos), flags_, shape_, out);
    if (step.paint == ClickProtocol::Paint::Nothing)
        return out;
    layers_.rebuild(overlap_);
    prepareScaleBar(layers_.layer());
    layers_.paintPreview(shape_, labels_, step.stage, liveContext());
    out.layerChanged = true;
    return out;
}

SurfaceOutcome MeasuringSession::release(const PointerInput &in)
{
    SurfaceOutcome out;
    if (protocol_.takeSwallowedRelease() || layers_.layer().isNull())
        return out;
    MeasurePoint p = rescaler_.mapPoint(in.pos);
    if (protocol_.inProgress() && releasePlacesSnappablePoint())
        p = snapPoint(p, in);
    const ClickProtocol::Step step = protocol_.release(in, p, flags_, shape_, out);
    if (step.paint == ClickProtocol::Paint::Nothing)
        return out;
    layers_.rebuild(overlap_);
    prepareScaleBar(layers_.layer());
    if (step.paint == ClickProtocol::Paint::Complete)
        complete(out);
    else if (step.paint == ClickProtocol::Paint::Preview)
        layers_.paintPlacedPoints(shape_, labels_, step.stage, liveContext());
    out.layerChanged = true;
    return out;
}

void MeasuringSession::complete(SurfaceOutcome &out)
{
    layers_.paintOutline(layers_.layer(), shape_, labels_, liveContext());
    if (overlap_) {
        layers_.commit();
        history_.recordNode(shape_, labels_);
    }
    DataSaveToTemp();
    out.layerChanged = true;
}

SurfaceOutcome MeasuringSession::doubleClick()
{
    SurfaceOutcome out;
    protocol_.doubleClick(flags_, out);
    return out;
}

// --- repainting ---------------------------------------------------------------------------------

void MeasuringSession::reDrawBitmap(platform::Bitmap &target, bool saving, bool batch)
{
    if (target.isNull() || target.width() == 0 || target.height() == 0)
        return;
    const bool empty = shape_.a == shape_.b;
    ShapeDraft keep;
    if (saving && !empty) {
        keep = shape_;
        if (const auto factors = rescaler_.toPicture(target.size()))
            ShapeRescaler::convert(shape_, *factors);
    }
    if (!saving && !batch) {
        if (overlap_)
            layers_.rebuild(overlap_);
        layers_.emptyScaleLayerWhenPaused(flags_.live);
    }
    if (!batch)
        layers_.drawScaleBarInto(target);
    if (!empty)
        layers_.paintOutline(target, shape_, labels_, labelContext(saving, target.size()));
    if (saving && !empty) {
        const auto lengths = shape_.segmentLengths;
        shape_ = keep;
        shape_.segmentLengths = lengths;
    } else if (!saving && !batch && overlap_) {
        layers_.commit();
    }
}

SurfaceOutcome MeasuringSession::redraw()
{
    SurfaceOutcome out;
    if (!overlap_)
        layers_.rebuild(overlap_);
    reDrawBitmap(layers_.layer(), false, false);
    out.layerChanged = true;
    return out;
}

SurfaceOutcome MeasuringSession::DrawUndoRedo()
{
    SurfaceOutcome out;
    const int target = history_.currentIndex();
    if (target < 0 || layers_.layer().isNull())
        return out;
    layers_.clear(true);
    labels_.counter = 0;
    // Every node paints straight onto the drawing layer. Rebuilding the layer from the committed
    // bitmap before each node would copy back the very pixels it holds, so the committed bitmap
    // takes its copy once, after the last node: the repaint stays linear in the number of shapes.
    prepareScaleBar(layers_.layer());
    for (int i = 0; i <= target; ++i) {
        const HistoryNode &node = history_.node(std::size_t(i));
        copyShapeInto(node.shape, shape_);
        labels_ = node.labels;
        reDrawBitmap(layers_.layer(), false, true);
    }
    layers_.commit();
    DataReadFromTemp();
    out.layerChanged = true;
    return out;
}

SurfaceOutcome MeasuringSession::ChangeWindows()
{
    if (const auto factors = rescaler_.takeWindowChange()) {
        if (overlap_) {
            for (std::size_t i = 0; i < history_.size(); ++i)
                ShapeRescaler::convert(history_.node(i).shape, *factors);
        } else {
            ShapeRescaler::convert(shape_, *factors);
        }
        ShapeRescaler::convert(savedShape_, *factors);
    }
    if (overlap_)
        return DrawUndoRedo();
    return redraw();
}

void MeasuringSession::drawInto(platform::Bitmap &picture)
{
    if (picture.isNull())
        return;
    layers_.beginPicture(picture.size());
    if (overlap_ && history_.currentIndex() >= 0) {
        for (int i = 0; i <= history_.currentIndex(); ++i) {
            const HistoryNode &node = history_.node(std::size_t(i));
            copyShapeInto(node.shape, shape_);
            labels_ = node.labels;
            reDrawBitmap(picture, true, i > 0);
        }
        DataReadFromTemp();
        return;
    }
    reDrawBitmap(picture, true, false);
}

// Stored points are picture pixels unless the window is narrower than the picture; then they are
// window pixels, as the burn-in converts them.
std::vector<HistoryNode> MeasuringSession::shapesOnPicture(QSize picture) const
{
    std::vector<HistoryNode> out;
    const std::pair<float, float> factors = rescaler_.toPicture(picture).value_or(std::pair{1.0f, 1.0f});
    const auto take = [&](const ShapeDraft &shape, const LabelSettings &labels) {
        if (shape.kind == ShapeKind::None || shape.a == shape.b)
            return;
        HistoryNode node;
        copyShapeInto(shape, node.shape);
        node.labels = labels;
        ShapeRescaler::convert(node.shape, factors);
        out.push_back(node);
    };
    if (overlap_) {
        for (int i = 0; i <= history_.currentIndex(); ++i)
            take(history_.node(std::size_t(i)).shape, history_.node(std::size_t(i)).labels);
    } else if (!protocol_.inProgress()) {
        take(savedShape_, savedLabels_);
    }
    return out;
}

SurfaceOutcome MeasuringSession::restoreShapes(const std::vector<HistoryNode> &shapes, QSize picture)
{
    const ShapeDraft user = savedShape_;
    const LabelSettings userLabels = savedLabels_;
    overlap_ = true;
    ClearData(1);
    const std::pair<float, float> factors = rescaler_.fromPicture(picture).value_or(std::pair{1.0f, 1.0f});
    for (const HistoryNode &node : shapes) {
        copyShapeInto(node.shape, shape_);
        ShapeRescaler::convert(shape_, factors);
        labels_ = node.labels;
        history_.recordNode(shape_, labels_);
    }
    DataSaveToTemp();
    savedShape_.penStyle = user.penStyle;
    savedShape_.penWidth = user.penWidth;
    savedShape_.colour = user.colour;
    savedShape_.kind = user.kind;
    const int counter = savedLabels_.counter;
    savedLabels_ = userLabels;
    savedLabels_.counter = counter;
    return DrawUndoRedo();
}

} // namespace measure
