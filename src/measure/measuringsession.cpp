#include "measure/measuringsession.h"

#include "measure/canvas.h"

#include <algorithm>
#include <cstring>

namespace measure {

namespace {

constexpr platform::ColorRef kTransparent = 0xFFFFFF;

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

bool isThreeClickKind(ShapeKind k)
{
    return k == ShapeKind::ThreePointsCircle || k == ShapeKind::Arc || k == ShapeKind::Arch ||
           k == ShapeKind::ThreePointsAngle || k == ShapeKind::ThreePointsFillet;
}

} // namespace

MeasuringSession::MeasuringSession() : scale_(scales::firstBuiltInScale())
{
    savedShape_ = shape_;
    savedLabels_ = labels_;
}

// --- records ------------------------------------------------------------------------------------

void MeasuringSession::setFlags(const SurfaceFlags &flags)
{
    if (flags.live && !flags_.live)
        rescaled_ = false;
    flags_ = flags;
}

void MeasuringSession::setScale(const scales::RulerScaleControl &scale)
{
    scale_ = scale;
    if (scaleBar_.scaleChanged)
        scaleBar_.scaleChanged();
}

void MeasuringSession::setLabelSettings(const LabelSettings &settings)
{
    const int counter = labels_.counter;
    labels_ = settings;
    labels_.counter = counter;
    const int savedCounter = savedLabels_.counter;
    savedLabels_ = settings;
    savedLabels_.counter = savedCounter;
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
    c.window = window_;
    c.picture = picture_;
    c.bitmap = bitmap;
    c.useBitmap = saving;
    c.calibrating = flags_.calibrating;
    return c;
}

std::unique_ptr<Canvas> MeasuringSession::canvasOn(platform::Bitmap &bitmap)
{
    if (canvasFactory_)
        return canvasFactory_(bitmap);
    return std::make_unique<BitmapCanvas>(bitmap);
}

// --- geometry -----------------------------------------------------------------------------------

QSize MeasuringSession::layerSize() const
{
    return window_.width() >= picture_.width() ? picture_ : window_;
}

void MeasuringSession::resizeLayers()
{
    const QSize size = layerSize();
    if (layer_.size() != size)
        layer_ = size.isEmpty() ? platform::Bitmap() : platform::Bitmap(size.width(), size.height(), kTransparent);
    if (!committed_.isNull() && committed_.size() != size)
        committed_ = size.isEmpty() ? platform::Bitmap(1, 1, kTransparent)
                                    : platform::Bitmap(size.width(), size.height(), kTransparent);
}

void MeasuringSession::setGeometry(QSize window, QSize picture)
{
    window_ = window;
    picture_ = picture;
    if (!reference_.isValid() || reference_.isEmpty())
        reference_ = window;
    resizeLayers();
}

SurfaceOutcome MeasuringSession::resizeWindow(QSize window)
{
    reference_ = window_;
    window_ = window;
    resizeLayers();
    return ChangeWindows();
}

MeasurePoint MeasuringSession::mapPoint(QPoint pos) const
{
    if (window_.width() >= picture_.width() && window_.width() > 0 && window_.height() > 0)
        return {float(int(double(picture_.width()) / window_.width() * pos.x())),
                float(int(double(picture_.height()) / window_.height() * pos.y()))};
    return {float(pos.x()), float(pos.y())};
}

// --- measurement mode and tools -------------------------------------------------------------------

void MeasuringSession::EntryMeasurementMode()
{
    const QSize size = layerSize();
    committed_ = size.isEmpty() ? platform::Bitmap(1, 1, kTransparent)
                                : platform::Bitmap(size.width(), size.height(), kTransparent);
}

void MeasuringSession::ExitMeasurementMode()
{
    committed_ = platform::Bitmap();
}

CursorKind MeasuringSession::selectTool(ShapeKind kind)
{
    toolKind_ = kind;
    return ApplyShapeTool();
}

CursorKind MeasuringSession::ApplyShapeTool()
{
    if (toolKind_ == ShapeKind::None) {
        if (!noTool_) {
            noTool_ = true;
            ClearData(1);
        }
        return CursorKind::Normal;
    }
    noTool_ = false;
    if (toolKind_ != shape_.kind) {
        if (!overlap_)
            ClearData(1);
        // The saved copy follows, or a history repaint would bring the previous tool back.
        shape_.kind = savedShape_.kind = toolKind_;
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
    DataSaveToTemp();
    if (!layer_.isNull())
        layer_.fill(kTransparent);
    if (overlap_ && !committed_.isNull())
        committed_.fill(kTransparent);
    if (mode == 1 && scaleBar_.redrawScaleLayer)
        scaleBar_.redrawScaleLayer();
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

void MeasuringSession::setWindowMoveRange(int minLeft, int minTop, int maxLeft, int maxTop)
{
    minLeft_ = minLeft;
    minTop_ = minTop;
    maxLeft_ = maxLeft;
    maxTop_ = maxTop;
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

// --- layers -------------------------------------------------------------------------------------

void MeasuringSession::rebuildLayer()
{
    if (layer_.isNull())
        return;
    if (overlap_ && !committed_.isNull() && committed_.size() == layer_.size())
        copyPixels(committed_, layer_);
    else
        layer_.fill(kTransparent);
}

void MeasuringSession::drawScaleBarInto(platform::Bitmap &bitmap)
{
    if (scaleBar_.drawInto && !bitmap.isNull())
        scaleBar_.drawInto(bitmap);
}

void MeasuringSession::emptyScaleLayerWhenPaused()
{
    if (!flags_.live && scaleBar_.emptyScaleLayer)
        scaleBar_.emptyScaleLayer();
}

// --- constraint keys ------------------------------------------------------------------------------

int &MeasuringSession::listCount()
{
    return shape_.kind == ShapeKind::NodeLine ? shape_.nodeCount
           : shape_.kind == ShapeKind::MultiLine ? shape_.multiCount
                                                 : shape_.polygonCount;
}

MeasurePoint *MeasuringSession::listPoints()
{
    return shape_.kind == ShapeKind::NodeLine ? shape_.nodes.data()
           : shape_.kind == ShapeKind::MultiLine ? shape_.multi.data()
                                                 : shape_.polygon.data();
}

MeasurePoint MeasuringSession::shiftAction(MeasurePoint p, const PointerInput &in, SurfaceOutcome &out)
{
    if (!isLineKind(shape_.kind))
        return p;
    // The anchor is the last placed point of this kind's own list (a list of another kind may
    // still hold points from an earlier shape), else A.
    MeasurePoint anchor = shape_.a;
    if (shape_.kind == ShapeKind::NodeLine && shape_.nodeCount > 0)
        anchor = shape_.nodes[std::min(shape_.nodeCount, kMaxListPoints) - 1];
    else if (shape_.kind == ShapeKind::MultiLine && shape_.multiCount > 0)
        anchor = shape_.multi[std::min(shape_.multiCount, kMaxListPoints) - 1];
    if (in.shift)
        return AxisSnap(anchor, p);
    if (flags_.calibrating) {
        if (flags_.calibrationAxis == 1)
            p.y = anchor.y;
        else if (flags_.calibrationAxis == 2)
            p.x = anchor.x;
        shape_.calibrationPixelLength = PixelDistance(p, anchor);
        out.calibrationChanged = true;
    }
    return p;
}

void MeasuringSession::changeEndsRedefineCentre(const PointerInput &in)
{
    if (in.ctrl) {
        if (!endsSwapped_) {
            std::swap(shape_.a, shape_.b);
            shape_.c = shape_.b;   // the former A
            endsSwapped_ = true;
        }
    } else {
        endsSwapped_ = false;
    }
    if (!in.shift)
        shape_.d = CentreOnBisector(shape_.a, shape_.b, shape_.d);
}

// --- the mouse ----------------------------------------------------------------------------------

SurfaceOutcome MeasuringSession::press(const PointerInput &in)
{
    SurfaceOutcome out;
    reference_ = window_;
    if (in.button == PointerButton::Left && in.ctrl && moveEnabled_) {
        drag_.active = true;
        drag_.pressPos = in.pos;
        return out;
    }
    if (in.button == PointerButton::Right && flags_.calibrating)
        out.toggleFrozen = true;
    if (in.button != PointerButton::Left || noTool_ || inProgress_)
        return out;
    // The press that follows a double-click places nothing. Checked before the in-progress flag
    // is set, so that a swallowed press cannot leave a shape in progress without its first point.
    if (swallow_)
        return out;
    inProgress_ = true;
    shape_.a = mapPoint(in.pos);
    ++labels_.counter;
    return out;
}

void MeasuringSession::storeLivePoint(MeasurePoint p, const PointerInput &in, int stage)
{
    switch (shape_.kind) {
    case ShapeKind::NodeLine:
    case ShapeKind::MultiLine:
    case ShapeKind::Polygon: {
        const int n = listCount();
        if (n < 1 || n > kListFinishCount)
            return;
        shape_.b = p;
        listPoints()[n] = p;
        if (shape_.kind == ShapeKind::Polygon)
            shape_.polygon[n + 1] = shape_.a;
        return;
    }
    case ShapeKind::ThreePointsCircle:
    case ShapeKind::Arc:
    case ShapeKind::Arch:
    case ShapeKind::ThreePointsAngle:
    case ShapeKind::ThreePointsFillet:
    case ShapeKind::FourPointsAngle:
        if (stage == 1) {
            shape_.b = shape_.c = p;
        } else if (stage == 2 && shape_.kind != ShapeKind::FourPointsAngle) {
            shape_.d = p;
            if (shape_.kind == ShapeKind::Arc || shape_.kind == ShapeKind::Arch)
                changeEndsRedefineCentre(in);
        } else if (stage == 3 && shape_.kind == ShapeKind::FourPointsAngle) {
            shape_.d = p;
        }
        return;
    default: shape_.b = p; return;
    }
}

SurfaceOutcome MeasuringSession::move(const PointerInput &in)
{
    SurfaceOutcome out;
    if (in.ctrl && drag_.active) {
        out.cursor = CursorKind::SizeAll;
        QPoint pos = windowPos_;
        if (minLeft_ < maxLeft_)
            pos.setX(std::clamp(in.pos.x() + windowPos_.x() - drag_.pressPos.x(), minLeft_, maxLeft_));
        if (minTop_ < maxTop_)
            pos.setY(std::clamp(in.pos.y() + windowPos_.y() - drag_.pressPos.y(), minTop_, maxTop_));
        windowPos_ = pos;
        out.moveWindowTo = pos;
        return out;
    }
    if (noTool_ || !inProgress_ || swallow_ || layer_.isNull())
        return out;
    MeasurePoint p = mapPoint(in.pos);
    if (SameSpot(shape_.a, p))
        return out;

    rebuildLayer();
    emptyScaleLayerWhenPaused();
    // The bar lives in the drawing layer over a frozen or loaded picture as well: without it the
    // bar would vanish while a shape is being drawn there.
    drawScaleBarInto(layer_);
    p = shiftAction(p, in, out);
    const int stage = counters_[counterSlot(shape_.kind)];
    storeLivePoint(p, in, stage);

    const std::unique_ptr<Canvas> canvasPtr = canvasOn(layer_);
    Canvas &canvas = *canvasPtr;
    ShapeRenderer::applyUserPen(canvas, shape_);
    if (ShapeRenderer::drawPreview(canvas, shape_, labels_, stage))
        ShapeRenderer::ShowDrawInfo(canvas, shape_, labels_, labelContext(false, layer_.size()));
    out.layerChanged = true;
    return out;
}

bool MeasuringSession::releaseListPoint(MeasurePoint p, bool rightButton, bool &finished)
{
    int &n = listCount();
    MeasurePoint *points = listPoints();
    const bool polygon = shape_.kind == ShapeKind::Polygon;
    shape_.b = p;
    bool duplicate = false;
    finished = false;
    if (n >= kListFinishCount || rightButton) {
        duplicate = n > 0 && p == points[n - 1];
        finished = !duplicate;
        if (finished) {
            // The final point is where the mouse was released.
            points[n] = p;
            if (polygon)
                shape_.polygon[n + 1] = shape_.a;
        }
    } else {
        if (n == 0) {
            std::fill_n(points, polygon ? kMaxPolygonEntries : kMaxListPoints, MeasurePoint{});
            if (shape_.kind == ShapeKind::MultiLine)
                shape_.segmentLengths.fill(0.0f);
            shape_.a = p;
        } else {
            duplicate = p == points[n - 1];
        }
        points[n] = p;
        if (polygon)
            shape_.polygon[n + 1] = shape_.a;
    }
    if (!duplicate && !finished) {
        ++n;
        // Until the mouse moves, the live entry is the point just placed (and the polygon closes on A).
        if (polygon) {
            shape_.polygon[n] = shape_.a;
            shape_.polygon[n + 1] = shape_.a;
        } else {
            points[n] = p;
        }
    }
    counters_[counterSlot(shape_.kind)] = n;
    return finished && n >= 2;
}

SurfaceOutcome MeasuringSession::release(const PointerInput &in)
{
    SurfaceOutcome out;
    if (drag_.active) {
        drag_.active = false;
        out.cursor = noTool_ ? CursorKind::Normal : CursorKind::Cross;
        return out;
    }
    if (swallow_) {
        swallow_ = false;
        return out;
    }
    if (noTool_ || !inProgress_ || layer_.isNull())
        return out;
    MeasurePoint p = mapPoint(in.pos);
    const bool right = in.button == PointerButton::Right;
    if (right && isListKind(shape_.kind)) {
        const int n = listCount();
        if (n < 1 || (n == 1 && SameSpot(p, shape_.a)))
            return out;
    }

    rebuildLayer();
    emptyScaleLayerWhenPaused();
    drawScaleBarInto(layer_);
    p = shiftAction(p, in, out);

    int &n = counters_[counterSlot(shape_.kind)];
    bool completes = false;
    switch (shape_.kind) {
    case ShapeKind::None: break;
    case ShapeKind::Line:
    case ShapeKind::AuxiliaryLine:
    case ShapeKind::TwoPointsCircle:
    case ShapeKind::Ellipse:
    case ShapeKind::Square:
    case ShapeKind::Rectangle:
        if (++n > 1) {
            n = 0;
            shape_.b = p;
            completes = true;
        }
        break;
    case ShapeKind::FourPointsAngle:
        ++n;
        if (n == 2)
            shape_.b = p;
        else if (n == 3)
            shape_.c = p;
        else if (n >= 4) {
            n = 0;
            shape_.d = p;
            completes = true;
        }
        break;
    case ShapeKind::NodeLine:
    case ShapeKind::MultiLine:
    case ShapeKind::Polygon: {
        bool finished = false;
        completes = releaseListPoint(p, right, finished);
        if (completes)
            n = 0;
        break;
    }
    default:
        if (isThreeClickKind(shape_.kind)) {
            ++n;
            if (n == 2) {
                shape_.b = shape_.c = p;
            } else if (n >= 3) {
                n = 0;
                shape_.d = p;
                if (shape_.kind == ShapeKind::Arc || shape_.kind == ShapeKind::Arch)
                    changeEndsRedefineCentre(in);
                completes = true;
            }
        }
        break;
    }

    if (completes) {
        complete(out);
    } else if (isListKind(shape_.kind)) {
        const std::unique_ptr<Canvas> canvasPtr = canvasOn(layer_);
        Canvas &canvas = *canvasPtr;
        ShapeRenderer::applyUserPen(canvas, shape_);
        ShapeRenderer::drawPreview(canvas, shape_, labels_, listCount());
        ShapeRenderer::ShowDrawInfo(canvas, shape_, labels_, labelContext(false, layer_.size()));
    }
    out.layerChanged = true;
    return out;
}

void MeasuringSession::complete(SurfaceOutcome &out)
{
    inProgress_ = false;
    {
        const std::unique_ptr<Canvas> canvasPtr = canvasOn(layer_);
        Canvas &canvas = *canvasPtr;
        ShapeRenderer::applyUserPen(canvas, shape_);
        ShapeRenderer::drawFinalOutline(canvas, shape_, labels_);
        ShapeRenderer::ShowDrawInfo(canvas, shape_, labels_, labelContext(false, layer_.size()));
    }
    if (overlap_) {
        if (!committed_.isNull())
            copyPixels(layer_, committed_);
        history_.recordNode(shape_, labels_);
    }
    DataSaveToTemp();
    out.layerChanged = true;
}

SurfaceOutcome MeasuringSession::doubleClick()
{
    SurfaceOutcome out;
    if (flags_.calibrating || (!noTool_ && flags_.drawMode))
        return out;
    out.toggleFullScreen = true;
    swallow_ = true;
    return out;
}

// --- repainting ---------------------------------------------------------------------------------

void MeasuringSession::convertShape(ShapeDraft &s, float fx, float fy) const
{
    const auto scale = [fx, fy](MeasurePoint &p) {
        p.x *= fx;
        p.y *= fy;
    };
    scale(s.a);
    scale(s.b);
    if (usesCAndD(s.kind)) {
        scale(s.c);
        scale(s.d);
    }
    for (int i = 0; i <= std::min(s.nodeCount, kMaxListPoints - 1); ++i)
        scale(s.nodes[i]);
    for (int i = 0; i <= std::min(s.multiCount, kMaxListPoints - 1); ++i)
        scale(s.multi[i]);
    for (int i = 0; i <= std::min(s.polygonCount + 1, kMaxPolygonEntries - 1); ++i)
        scale(s.polygon[i]);
}

std::optional<std::pair<float, float>> windowChangeScale(QSize current, QSize picture, QSize reference, bool &rescaled)
{
    const int cw = current.width(), ch = current.height();
    const int pw = picture.width(), ph = picture.height();
    const int qw = reference.width(), qh = reference.height();
    if (qw <= 0 || qh <= 0)
        return std::nullopt;
    if (cw >= pw) {
        rescaled = false;
        if (qw < pw)
            return std::pair{float(pw) / float(qw), float(ph) / float(qh)};
        return std::nullopt;
    }
    if (cw > qw) {
        rescaled = true;
        return std::pair{float(cw) / float(qw), float(ch) / float(qh)};
    }
    if (rescaled)
        return std::pair{float(cw) / float(qw), float(ch) / float(qh)};
    const QSize ref = pw < qw ? picture : reference;
    if (ref.width() <= 0 || ref.height() <= 0)
        return std::nullopt;
    return std::pair{float(cw) / float(ref.width()), float(ch) / float(ref.height())};
}

void MeasuringSession::reDrawBitmap(platform::Bitmap &target, bool saving, bool batch)
{
    if (target.isNull() || target.width() == 0 || target.height() == 0)
        return;
    const bool empty = shape_.a == shape_.b;
    ShapeDraft keep;
    if (saving && !empty) {
        keep = shape_;
        if (target.width() >= window_.width() && window_.width() > 0 && window_.height() > 0)
            convertShape(shape_, float(target.width()) / float(window_.width()),
                         float(target.height()) / float(window_.height()));
    }
    if (!saving && !batch) {
        if (overlap_)
            rebuildLayer();
        emptyScaleLayerWhenPaused();
    }
    if (!batch)
        drawScaleBarInto(target);
    if (!empty) {
        const std::unique_ptr<Canvas> canvasPtr = canvasOn(target);
        Canvas &canvas = *canvasPtr;
        ShapeRenderer::applyUserPen(canvas, shape_);
        ShapeRenderer::drawFinalOutline(canvas, shape_, labels_);
        ShapeRenderer::ShowDrawInfo(canvas, shape_, labels_, labelContext(saving, target.size()));
    }
    if (saving && !empty) {
        const auto lengths = shape_.segmentLengths;
        shape_ = keep;
        shape_.segmentLengths = lengths;
    } else if (!saving && !batch && overlap_ && !committed_.isNull()) {
        copyPixels(target, committed_);
    }
}

SurfaceOutcome MeasuringSession::redraw()
{
    SurfaceOutcome out;
    if (!overlap_)
        rebuildLayer();
    reDrawBitmap(layer_, false, false);
    out.layerChanged = true;
    return out;
}

SurfaceOutcome MeasuringSession::DrawUndoRedo()
{
    SurfaceOutcome out;
    const int target = history_.currentIndex();
    if (target < 0 || layer_.isNull())
        return out;
    layer_.fill(kTransparent);
    if (!committed_.isNull())
        committed_.fill(kTransparent);
    labels_.counter = 0;
    // Every node paints straight onto the drawing layer. Rebuilding the layer from the committed
    // bitmap before each node would copy back the very pixels it holds, so the committed bitmap
    // takes its copy once, after the last node: the repaint stays linear in the number of shapes.
    emptyScaleLayerWhenPaused();
    drawScaleBarInto(layer_);
    for (int i = 0; i <= target; ++i) {
        const HistoryNode &node = history_.node(std::size_t(i));
        copyShapeInto(node.shape, shape_);
        labels_ = node.labels;
        reDrawBitmap(layer_, false, true);
    }
    if (!committed_.isNull())
        copyPixels(layer_, committed_);
    DataReadFromTemp();
    out.layerChanged = true;
    return out;
}

SurfaceOutcome MeasuringSession::ChangeWindows()
{
    const auto factors = windowChangeScale(window_, picture_, reference_, rescaled_);
    if (factors) {
        if (overlap_) {
            for (std::size_t i = 0; i < history_.size(); ++i)
                convertShape(history_.node(i).shape, factors->first, factors->second);
        } else {
            convertShape(shape_, factors->first, factors->second);
        }
        convertShape(savedShape_, factors->first, factors->second);
    }
    // The shapes now belong to this window size; a repaint without a resize must not convert again.
    reference_ = window_;
    if (overlap_)
        return DrawUndoRedo();
    return redraw();
}

void MeasuringSession::drawInto(platform::Bitmap &picture)
{
    if (picture.isNull())
        return;
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
    const bool convert = picture.width() >= window_.width() && window_.width() > 0 && window_.height() > 0;
    const float fx = convert ? float(picture.width()) / float(window_.width()) : 1.0f;
    const float fy = convert ? float(picture.height()) / float(window_.height()) : 1.0f;
    const auto take = [&](const ShapeDraft &shape, const LabelSettings &labels) {
        if (shape.kind == ShapeKind::None || shape.a == shape.b)
            return;
        HistoryNode node;
        copyShapeInto(shape, node.shape);
        node.labels = labels;
        convertShape(node.shape, fx, fy);
        out.push_back(node);
    };
    if (overlap_) {
        for (int i = 0; i <= history_.currentIndex(); ++i)
            take(history_.node(std::size_t(i)).shape, history_.node(std::size_t(i)).labels);
    } else if (!inProgress_) {
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
    const bool convert = picture.width() >= window_.width() && window_.width() > 0 && picture.width() > 0
                         && picture.height() > 0;
    const float fx = convert ? float(window_.width()) / float(picture.width()) : 1.0f;
    const float fy = convert ? float(window_.height()) / float(picture.height()) : 1.0f;
    for (const HistoryNode &node : shapes) {
        copyShapeInto(node.shape, shape_);
        convertShape(shape_, fx, fy);
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
