#pragma once

#include <QRect>
#include <QSize>

#include <cstdint>
#include <optional>
#include <vector>

namespace measure {

// Where labels go on one picture, so that no label covers another or runs off the picture. Each
// label asks with the text cell it would take at the place its shape gives it; it gets that place
// when it is free and inside the picture, else the free place inside the picture nearest to it
// (straight-line distance of the top-left corners; of equal distances the higher, then the more
// left one). Every label placed is taken from then on. Pixels of the picture the labels are
// written on. UI thread.
class LabelPlacer
{
public:
    LabelPlacer() = default;
    explicit LabelPlacer(QSize picture) { reset(picture); }

    // A new picture: no label is placed yet.
    void reset(QSize picture);
    QSize picture() const { return picture_; }

    // The cell the label gets (the same size as `wanted`). A label larger than the picture, or
    // one with no free place left, keeps its wanted place pushed inside as far as it fits.
    QRect place(const QRect &wanted);
    const std::vector<QRect> &taken() const { return taken_; }
    // A place something else holds (a scale bar number); taking the same cell twice keeps one.
    void take(const QRect &cell);
    void setTaken(std::vector<QRect> taken);

private:
    bool free(const QRect &cell) const;
    // Takes `cell` and files it in the squares of the picture it covers.
    void add(const QRect &cell);
    // The squares a cell covers, clamped to the picture: [x0, x1] x [y0, y1].
    bool squaresOf(const QRect &cell, int &x0, int &y0, int &x1, int &y1) const;

    QSize picture_;
    std::vector<QRect> taken_;
    // The taken cells by the 64-pixel squares of the picture they cover: a place is checked
    // only against the labels near it.
    int columns_ = 0, rows_ = 0;
    std::vector<std::vector<std::uint32_t>> squares_;
};

// The thin line from a shape's anchor to the label moved away from it: from `anchor` to the
// nearest point of the cell's border. None when the anchor lies inside the cell.
std::optional<std::pair<QPoint, QPoint>> leaderLine(QPoint anchor, const QRect &cell);

} // namespace measure
