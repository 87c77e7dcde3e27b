#include "editgesture.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace imaging {

namespace {

// The box whose outline runs through both corners, whichever way the drag went (a QRect outline
// lies one pixel outside its right and bottom; QRect::normalized would move a reversed edge).
QRect outlineBox(QPoint a, QPoint b)
{
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())), QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())))
        .adjusted(0, 0, -1, -1);
}

// The marquee, the text box's rubber band and the paste outline: black, dotted, unfilled.
void drawDottedBox(QPainter &p, const QRect &box)
{
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box);
}

platform::Bitmap withDottedBox(const platform::Bitmap &committed, QPoint a, QPoint b)
{
    platform::Bitmap live = committed;
    QPainter p(&live.image());
    drawDottedBox(p, outlineBox(a, b));
    return live;
}

} // namespace

void EditGesture::setTool(EditTool tool)
{
    tool_ = tool;
    drag_ = DragState::Idle;
    polygonInProgress_ = false;
}

QRect EditGesture::selectionRect() const
{
    return QRect(QPoint(std::min(p1_.x(), p2_.x()), std::min(p1_.y(), p2_.y())),
                 QSize(std::abs(p2_.x() - p1_.x()), std::abs(p2_.y() - p1_.y())));
}

void EditGesture::clearSelection(bool points)
{
    selectionValid_ = false;
    if (points)
        p1_ = p2_ = QPoint();
}

void EditGesture::setupPainter(QPainter &p) const
{
    p.setPen(QPen(style_.colour, style_.penWidth, style_.pen));
    p.setBrush(QBrush(style_.colour, style_.brush));
}

void EditGesture::drawShape(QPainter &p, QPoint from, QPoint to, bool shift) const
{
    switch (tool_) {
    case EditTool::Line:
        p.drawLine(from, shift ? shiftConstrain(from, to) : to);
        break;
    case EditTool::Rectangle:
        p.drawRect(outlineBox(from, to));
        break;
    case EditTool::Ellipse:
        p.drawEllipse(outlineBox(from, to));
        break;
    case EditTool::Square:
        p.drawRect(outlineBox(from, squareCorner(from, to)));
        break;
    case EditTool::Circle: {
        const auto box = circleBox(from, to);
        p.drawEllipse(outlineBox(box[0], box[1]));
        break;
    }
    default:
        break;
    }
}

platform::Bitmap EditGesture::withPaste(const platform::Bitmap &committed, QPoint at, bool outline) const
{
    platform::Bitmap live = committed;
    QPainter p(&live.image());
    p.drawImage(at, pasteBuffer_.image());
    if (outline)
        drawDottedBox(p, QRect(at, pasteBuffer_.size()).adjusted(0, 0, -1, -1));
    return live;
}

EditGesture::Result EditGesture::startPaste(platform::Bitmap buffer, const platform::Bitmap &committed, const View &view)
{
    pasteBuffer_ = std::move(buffer);
    setTool(EditTool::PastePlacing);
    const QPoint at = pasteDropPosition({}, {}, pasteBuffer_.size(), view.control, committed.size(), view.panel);
    return {withPaste(committed, at, true), std::nullopt, false};
}

EditGesture::Result EditGesture::press(QPoint at, Qt::MouseButton)
{
    p1_ = at;
    switch (tool_) {
    case EditTool::SelectRange:
        selectionValid_ = false;
        drag_ = DragState::Selecting;
        break;
    case EditTool::Sketch:
        lastPen_ = at;
        sketchDrew_ = false;
        drag_ = DragState::Drawing;
        break;
    case EditTool::Line:
    case EditTool::Square:
    case EditTool::Rectangle:
    case EditTool::Circle:
    case EditTool::Ellipse:
        drag_ = DragState::Drawing;
        break;
    case EditTool::PastePlacing:
        drag_ = DragState::PasteDragging;
        break;
    case EditTool::Polygon:
        // The next side starts where the last one ended.
        if (polygonInProgress_) {
            p1_ = p2_;
        } else {
            anchor_ = at;
            drag_ = DragState::Drawing;
            polygonInProgress_ = true;
        }
        break;
    case EditTool::Text:
        selectionValid_ = false;
        drag_ = DragState::TextBox;
        break;
    case EditTool::Move:
        drag_ = DragState::Panning;
        break;
    default:
        break;
    }
    return {};
}

EditGesture::Result EditGesture::move(QPoint at, bool shift, const platform::Bitmap &committed,
                                      const platform::Bitmap &shown, const View &view)
{
    switch (drag_) {
    case DragState::Selecting:
        selectionValid_ = at.x() != p1_.x() && at.y() != p1_.y();
        return {withDottedBox(committed, p1_, at), std::nullopt, false};
    case DragState::TextBox:
        return {withDottedBox(committed, p1_, at), std::nullopt, false};
    case DragState::PasteDragging:
        return {withPaste(committed, pasteDropPosition(p1_, at, pasteBuffer_.size(), view.control, committed.size(), view.panel),
                          true),
                std::nullopt, false};
    case DragState::Drawing: {
        // A freehand stroke goes on from the picture shown and accumulates; every other tool's
        // rubber band is drawn over the committed picture, which erases the previous one.
        platform::Bitmap live = tool_ == EditTool::Sketch ? shown : committed;
        QPainter p(&live.image());
        setupPainter(p);
        if (tool_ == EditTool::Sketch) {
            p.drawLine(lastPen_, at);
            lastPen_ = at;
            sketchDrew_ = true;
        } else if (tool_ == EditTool::Polygon) {
            p.drawLine(p1_, at);
            p.setPen(QPen(style_.colour, 1, Qt::DotLine));
            p.drawLine(anchor_, at);
        } else {
            drawShape(p, p1_, at, shift);
        }
        p.end();
        return {std::move(live), std::nullopt, false};
    }
    default:
        return {};
    }
}

EditGesture::Result EditGesture::release(QPoint at, Qt::MouseButton button, bool shift, const platform::Bitmap &committed,
                                         const platform::Bitmap &shown, const View &view)
{
    p2_ = at;
    Result r;
    switch (drag_) {
    case DragState::PasteDragging:
        r.committed = withPaste(committed,
                                pasteDropPosition(p1_, p2_, pasteBuffer_.size(), view.control, committed.size(), view.panel),
                                false);
        r.counts = true;
        tool_ = EditTool::SelectRange;
        break;
    case DragState::Drawing: {
        // A drag that moved in either direction drew something: a horizontal or vertical line is
        // an edit as much as a slanted one; so is a freehand stroke that moved, and a polygon closed.
        r.counts = p2_ != p1_ || sketchDrew_;
        platform::Bitmap live = tool_ == EditTool::Sketch ? shown : committed;
        if (tool_ != EditTool::Sketch) {
            QPainter p(&live.image());
            setupPainter(p);
            if (tool_ == EditTool::Polygon) {
                p.drawLine(p1_, p2_);
                if (button == Qt::RightButton) {
                    p.drawLine(anchor_, p2_);
                    polygonInProgress_ = false;
                    r.counts = true;
                }
            } else {
                drawShape(p, p1_, p2_, shift);
            }
        }
        sketchDrew_ = false;
        r.committed = std::move(live);
        break;
    }
    case DragState::Selecting:
        selectionValid_ = p2_.x() != p1_.x() && p2_.y() != p1_.y();
        break;
    default:
        break;
    }
    drag_ = tool_ == EditTool::Polygon && polygonInProgress_ ? DragState::Drawing : DragState::Idle;
    return r;
}

} // namespace imaging
