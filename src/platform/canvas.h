#pragma once

#include "platform/bitmap.h"

#include <QFont>
#include <QPainter>
#include <QString>

#include <memory>

namespace platform {

// The drawing primitives the measurement rendering uses, with the classic device-context rules:
// lineTo leaves out its end point, ellipse and rectangle leave out the right and bottom edges of
// their box, textOut places the top-left corner of the text cell, and text has no background.
// Tests record calls through their own implementation.
class Canvas
{
public:
    virtual ~Canvas() = default;

    // Pen style codes: 2 dash, 3 dot, 4 dash-dot, 5 dash-dot-dot, anything else solid.
    virtual void setPen(int styleCode, int width, ColorRef colour) = 0;
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    // Outline only: the measurement layers never fill shapes.
    virtual void ellipse(int left, int top, int right, int bottom) = 0;
    virtual void rectangle(int left, int top, int right, int bottom) = 0;
    // Counter-clockwise on the screen from the radial through (xs, ys) to the radial through (xe, ye).
    virtual void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) = 0;
    // Solid fill of the box without its right and bottom edges.
    virtual void fillRect(int left, int top, int right, int bottom, ColorRef colour) = 0;

    // Font height in pixels (8 pt at 96 dpi is 11 px).
    virtual void setFont(int pixelSize, bool bold) = 0;
    virtual void setTextColour(ColorRef colour) = 0;
    virtual void textOut(int x, int y, const QString &text) = 0;
    virtual int textWidth(const QString &text) = 0;
    virtual int textHeight(const QString &text) = 0;
};

// A Canvas painting on a Bitmap, without antialiasing so that no edge pixel escapes the white key.
class BitmapCanvas final : public Canvas
{
public:
    explicit BitmapCanvas(Bitmap &bitmap);
    ~BitmapCanvas() override;
    BitmapCanvas(const BitmapCanvas &) = delete;
    BitmapCanvas &operator=(const BitmapCanvas &) = delete;

    void setPen(int styleCode, int width, ColorRef colour) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void ellipse(int left, int top, int right, int bottom) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) override;
    void fillRect(int left, int top, int right, int bottom, ColorRef colour) override;
    void setFont(int pixelSize, bool bold) override;
    void setTextColour(ColorRef colour) override;
    void textOut(int x, int y, const QString &text) override;
    int textWidth(const QString &text) override;
    int textHeight(const QString &text) override;

private:
    QPainter painter_;
    QPen pen_;
    QFont font_;
    QColor textColour_;
    QPoint current_;
};

} // namespace platform
