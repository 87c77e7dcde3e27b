#pragma once

#include "platform/canvas.h"

#include <QRect>

#include <vector>

namespace measure {

// A canvas that draws through another and notes the cell of every text written (top-left at the
// text's position, its width and height at the font then in use), so that labels written later can
// keep clear of the scale bar's numbers and totals and of the magnification figure.
class TextCellCanvas final : public platform::Canvas
{
public:
    explicit TextCellCanvas(platform::Canvas &target) : target_(target) {}

    const std::vector<QRect> &cells() const { return cells_; }

    void setPen(int styleCode, int width, platform::ColorRef colour) override { target_.setPen(styleCode, width, colour); }
    void moveTo(int x, int y) override { target_.moveTo(x, y); }
    void lineTo(int x, int y) override { target_.lineTo(x, y); }
    void ellipse(int left, int top, int right, int bottom) override { target_.ellipse(left, top, right, bottom); }
    void rectangle(int left, int top, int right, int bottom) override { target_.rectangle(left, top, right, bottom); }
    void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) override
    {
        target_.arc(left, top, right, bottom, xs, ys, xe, ye);
    }
    void fillRect(int left, int top, int right, int bottom, platform::ColorRef colour) override
    {
        target_.fillRect(left, top, right, bottom, colour);
    }
    void setFont(int pixelSize, bool bold) override { target_.setFont(pixelSize, bold); }
    void setTextColour(platform::ColorRef colour) override { target_.setTextColour(colour); }
    void textOut(int x, int y, const QString &text) override;
    int textWidth(const QString &text) override { return target_.textWidth(text); }
    int textHeight(const QString &text) override { return target_.textHeight(text); }

private:
    platform::Canvas &target_;
    std::vector<QRect> cells_;
};

} // namespace measure
