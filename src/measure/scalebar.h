#pragma once

#include "measure/labels.h"
#include "scales/rulerscale.h"

#include <QSize>
#include <QString>

namespace platform {
class Canvas;
}

namespace measure {

// Graduation of a scale bar: the major unit in the scale's own unit, and how the total-length
// label is written (value x labelFactor, with labelUnit and decimals).
struct TickUnit {
    double major = 1.0;
    double labelFactor = 1.0;
    UnitCode labelUnit = UnitCode::Mm;
    int decimals = 2;
};
// The tick unit table: chosen by the scale unit and the horizontal length; the vertical bar uses
// the same unit.
TickUnit tickUnitFor(scales::ScaleUnit unit, double hLength);
// Text whose width reserves the room of the total-length label at the right edge.
QString reserveText(scales::ScaleUnit unit);

// Screen (S) and printing (P) magnification of a picture `referenceWidthPx` pixels wide showing
// the scale's horizontal length. The printing figure assumes 96 pixels per inch and does not
// depend on the unit the scale is kept in.
struct Magnification {
    double screen = 0.0;
    double printing = 0.0;
};
Magnification magnificationFor(const scales::RulerScaleControl &scale, float pitchMmPerPixel, int referenceWidthPx);

// CaclculateScreenSize: mm per screen pixel from the monitor width (the detected width in
// auto-detect mode, the manual width in manual mode) over the screen's horizontal resolution.
// 0 when either is unknown.
float CaclculateScreenSize(const scales::RulerScaleControl &scale, float detectedWidthCm, int screenWidthPx);

inline constexpr int kScaleMajorTickPx = 40;
inline constexpr int kMagnificationFontPx = 21;   // 16 pt at 96 dpi
inline constexpr platform::ColorRef kMagnificationColour = 0x00FFFF;   // yellow

// The graduated scale bar and the magnification figure, drawn from the current ruler scale into
// any bitmap: the layer over the picture, or a full-size picture being burnt in. Holds the few
// flags the drawing depends on. UI thread.
class ScaleBar
{
public:
    // Calibration and the comparison modes hide the bar: nothing is drawn.
    void setHidden(bool hidden) { hidden_ = hidden; }
    bool hidden() const { return hidden_; }
    // mm per screen pixel, from CaclculateScreenSize.
    void setScreenPitch(float mmPerPixel) { pitch_ = mmPerPixel; }
    float screenPitch() const { return pitch_; }
    // Set while a drawing is re-rendered onto a full-size picture: the magnification then
    // follows the scale's magnification mode and the picture's width.
    void setBurnIn(bool on) { burnIn_ = on; }
    bool burnIn() const { return burnIn_; }
    // Width of the window that shows the picture.
    void setWindowWidth(int px) { windowWidth_ = px; }

    // The bar(s) of the scale's positions and origins, or the magnification when both
    // positions are none; nothing for a zero length or while hidden.
    void DrawScale(platform::Canvas &canvas, QSize bitmap, const scales::RulerScaleControl &scale);
    void DrawMagnification(platform::Canvas &canvas, QSize bitmap, const scales::RulerScaleControl &scale);
    // One graduation line: orientation 0 horizontal at y = p from x = q to q + length,
    // orientation 1 vertical at x = p from y = q to q + length (coordinates truncated).
    static void DrawHV(platform::Canvas &canvas, int orientation, double p, double q, double length);

    // "%0.1fX" of the last screen magnification drawn; empty when the display flag is off.
    const QString &magnificationCaption() const { return caption_; }

private:
    bool hidden_ = false;
    bool burnIn_ = false;
    float pitch_ = 0.0f;
    int windowWidth_ = 0;
    QString caption_;
};

} // namespace measure
