#include "measure/measurehistory.h"

#include <algorithm>

namespace measure {

void copyShapeInto(const ShapeDraft &from, ShapeDraft &to)
{
    to.a = from.a;
    to.b = from.b;
    to.penWidth = from.penWidth;
    to.penStyle = from.penStyle;
    to.colour = from.colour;
    to.kind = from.kind;
    to.c = from.c;
    to.d = from.d;
    to.polygonCount = from.polygonCount;
    to.nodeCount = from.nodeCount;
    to.multiCount = from.multiCount;
    const auto copyList = [](const auto &src, auto &dst, int last) {
        const int end = std::clamp(last + 1, 0, int(dst.size()));
        std::copy(src.begin(), src.begin() + end, dst.begin());
    };
    copyList(from.polygon, to.polygon, from.polygonCount + 1);
    copyList(from.nodes, to.nodes, from.nodeCount);
    copyList(from.multi, to.multi, from.multiCount);
    to.snapped = from.snapped;
    to.fitResidualPx = from.fitResidualPx;
}

void MeasureHistory::insertNode(const ShapeDraft &shape, LabelSettings &labels)
{
    HistoryNode node;
    if (nodes_.empty()) {
        labels.counter = 0;
        copyShapeInto(shape, node.shape);
        node.labels = labels;
        nodes_.push_back(node);
        current_ = 0;
        canUndo_ = false;
        canRedo_ = false;
        return;
    }
    copyShapeInto(shape, node.shape);
    node.labels = labels;
    const bool atEnd = atLast();
    nodes_.insert(nodes_.begin() + current_ + 1, node);
    ++current_;
    canUndo_ = true;
    canRedo_ = !atEnd;
}

void MeasureHistory::recordNode(const ShapeDraft &shape, LabelSettings &labels)
{
    insertNode(shape, labels);
    nodes_.erase(nodes_.begin() + current_ + 1, nodes_.end());
    canUndo_ = current_ > 0;
    canRedo_ = false;
}

void MeasureHistory::deleteNode()
{
    if (current_ < 0)
        return;
    nodes_.erase(nodes_.begin() + current_);
    if (current_ > 0 || nodes_.empty())
        --current_;
    if (nodes_.empty()) {
        canUndo_ = canRedo_ = false;
        return;
    }
    canUndo_ = current_ > 0;
    canRedo_ = current_ < int(nodes_.size()) - 1;
}

void MeasureHistory::clear()
{
    nodes_.clear();
    current_ = -1;
}

bool MeasureHistory::stepBack()
{
    if (current_ <= 0)
        return false;
    --current_;
    canUndo_ = current_ > 0;
    canRedo_ = true;
    return true;
}

bool MeasureHistory::stepForward()
{
    if (current_ < 0 || current_ + 1 >= int(nodes_.size()))
        return false;
    ++current_;
    canRedo_ = current_ + 1 < int(nodes_.size());
    canUndo_ = true;
    return true;
}

} // namespace measure
