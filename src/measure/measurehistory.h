#pragma once

#include "measure/shapes.h"

#include <cstddef>
#include <vector>

namespace measure {

// A snapshot of the shape record and the label settings (with the running number).
struct HistoryNode {
    ShapeDraft shape;
    LabelSettings labels;
};

// Live record and label settings -> node, and back. Scalars are copied, and of the point lists
// only the entries in use (polygon 0..count + 1, node and multiple line 0..count), with the
// snapped points and a fitted circle's residual; segment lengths and calibration values belong
// to the live record only.
void copyShapeInto(const ShapeDraft &from, ShapeDraft &to);

// The undo/redo list of completed shapes while overlap is on. Nodes are kept in order with a
// current position; everything after the current node is the redo part.
//
// There is no bound on the number of nodes: a node is under 4 KB (half of it the table of snapped
// points), so even ten thousand shapes cost about 40 MB, and dropping old nodes would make those
// shapes vanish at the next repaint.
class MeasureHistory
{
public:
    bool empty() const { return nodes_.empty(); }
    std::size_t size() const { return nodes_.size(); }
    // -1 when empty.
    int currentIndex() const { return current_; }
    bool canUndo() const { return canUndo_; }
    bool canRedo() const { return canRedo_; }
    bool atFirst() const { return current_ == 0; }
    bool atLast() const { return !nodes_.empty() && current_ == int(nodes_.size()) - 1; }

    const HistoryNode &node(std::size_t i) const { return nodes_[i]; }
    HistoryNode &node(std::size_t i) { return nodes_[i]; }

    // Insert_Node: a node from the live record right after the current node, which it becomes.
    // Into an empty list the live running number is reset to 0 first.
    void insertNode(const ShapeDraft &shape, LabelSettings &labels);
    // Record_Node: insert, then drop everything after the new current node.
    void recordNode(const ShapeDraft &shape, LabelSettings &labels);
    // Delete_Node: removes the current node; its predecessor becomes current.
    void deleteNode();
    // DeleteAllLink + InitialNode.
    void clear();
    // MoveToPver_Node / MoveToNext_Node; false when there is nowhere to go.
    bool stepBack();
    bool stepForward();

private:
    std::vector<HistoryNode> nodes_;
    int current_ = -1;
    bool canUndo_ = false;
    bool canRedo_ = false;
};

} // namespace measure
