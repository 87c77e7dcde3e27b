#include "measure/scalebar.h"

#include "measure/shaperenderer.h"
#include "platform/canvas.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace measure {

namespace {

using scales::ScaleUnit;

constexpr int T = kScaleMajorTickPx;
constexpr int kHalfTickPx = 20;
constexpr int kTenthTickPx = 10;
// The canvas font's height property of the 8-point label font: negative for a point size.
constexpr int kFontHeightProperty = -kLabelFontPx;

bool oneOf(int code, int a, int b, int c) { return code == a || code == b || code == c; }

// Graduation counts beyond one per pixel cannot be told apart; the cap keeps an absurd scale
// (say 1e9 inches over a 100-inch major unit) from running billions of lines.
double cappedCount(double count, int extent)
{
    if (!std::isfinite(count) || count < 0.0)
        return 0.0;
    return std::min(count, double(std::max(extent, 1)));
}

struct TextMetrics {
    int w0 = 0;   // width of "0"
    int w3 = 0;   // width of "000"
    int h0 = 0;   // height of "0"
    int wR = 0;   // width of the unit's reserve text
};

void number(platform::Canvas &canvas, double x, double y, int value)
{
    ShapeRenderer::DrawTextA(canvas, int(x), int(y), double(value), 0, UnitCode::None, QString());
}

// Graduations of one bar. along: extent of the bar's axis (W for the horizontal bar); origin 0
// start, 1 centre, 2 end; n: major divisions across the extent; across(len) gives the start and
// signed length of a graduation line of length len.
template <class Across>
void graduations(platform::Canvas &canvas, int orientation, int along, int origin, double n, double step, Across across)
{
    struct Level { double count, step; int length; };
    const Level levels[] = {{10.0 * n, step / 10.0, kTenthTickPx}, {2.0 * n, step / 2.0, kHalfTickPx}, {n, step, T}};
    for (const Level &level : levels) {
        const auto [q, length] = across(level.length);
        const double count = cappedCount(level.count, along);
        if (origin == 1) {
            const int half = along / 2;
            for (long i = 0; i <= long(count / 2.0); ++i) {
                ScaleBar::DrawHV(canvas, orientation, half + double(i) * level.step, q, length);
                ScaleBar::DrawHV(canvas, orientation, half - double(i) * level.step, q, length);
            }
        } else {
            for (long i = 0; i <= long(count); ++i) {
                const double at = origin == 2 ? along - 1 - double(i) * level.step : double(i) * level.step;
                ScaleBar::DrawHV(canvas, orientation, at, q, length);
            }
        }
    }
}

} // namespace

TickUnit tickUnitFor(ScaleUnit unit, double h)
{
    // Rows of the table from the smallest length up; the first row whose bound exceeds h wins.
    struct Row { double below; double major; double factor; UnitCode label; int decimals; };
    static constexpr Row inch[] = {{0.001, 0.0001, 1000.0, UnitCode::Mil, 1}, {0.01, 0.001, 1000.0, UnitCode::Mil, 1},
                                   {0.1, 0.01, 1000.0, UnitCode::Mil, 1},     {1.0, 0.1, 1000.0, UnitCode::Mil, 1},
                                   {10.0, 1.0, 1.0, UnitCode::In, 4},         {100.0, 10.0, 1.0, UnitCode::In, 4},
                                   {HUGE_VAL, 100.0, 1.0, UnitCode::In, 4}};
    static constexpr Row um[] = {{10.0, 1.0, 1.0, UnitCode::Um, 0},          {100.0, 10.0, 1.0, UnitCode::Um, 0},
                                 {1000.0, 100.0, 1.0, UnitCode::Um, 0},      {10000.0, 1000.0, 0.001, UnitCode::Mm, 3},
                                 {100000.0, 10000.0, 0.001, UnitCode::Mm, 2}, {HUGE_VAL, 100000.0, 0.001, UnitCode::Mm, 1}};
    static constexpr Row mil[] = {{10.0, 1.0, 1.0, UnitCode::Mil, 0},         {100.0, 10.0, 1.0, UnitCode::Mil, 0},
                                  {1000.0, 100.0, 1.0, UnitCode::Mil, 0},     {10000.0, 1000.0, 0.001, UnitCode::In, 3},
                                  {100000.0, 10000.0, 0.001, UnitCode::In, 2}, {HUGE_VAL, 100000.0, 0.001, UnitCode::In, 1}};
    static constexpr Row mm[] = {{10.0, 1.0, 1.0, UnitCode::Mm, 2},
                                 {100.0, 10.0, 0.1, UnitCode::Cm, 3},
                                 {1000.0, 100.0, 0.1, UnitCode::Cm, 2},
                                 {HUGE_VAL, 1000.0, 0.1, UnitCode::Cm, 1}};
    const auto pick = [h](const auto &rows) {
        for (const Row &r : rows)
            if (h < r.below)
                return TickUnit{r.major, r.factor, r.label, r.decimals};
        const Row &last = rows[std::size(rows) - 1];
        return TickUnit{last.major, last.factor, last.label, last.decimals};   // NaN
    };
    switch (unit) {
    case ScaleUnit::Inch: return pick(inch);
    case ScaleUnit::Micrometre: return pick(um);
    case ScaleUnit::Mil: return pick(mil);
    default: return pick(mm);
    }
}

QString reserveText(ScaleUnit unit)
{
    switch (unit) {
    case ScaleUnit::Inch: return QStringLiteral("vh00.0000in");
    case ScaleUnit::Micrometre: return QStringLiteral("vh00.00um");
    case ScaleUnit::Mil: return QStringLiteral("vh00.00mil");
    default: return QStringLiteral("vh0.00mm");
    }
}

Magnification magnificationFor(const scales::RulerScaleControl &scale, float pitch, int p)
{
    Magnification m;
    if (scale.hLength == 0.0f)
        return m;
    // Millimetres per screen pixel in the scale's unit, and the 96-dpi pixel size likewise.
    double screenFactor = 1.0, printPixel = 0.26458332;
    switch (scale.unit) {
    case ScaleUnit::Inch: screenFactor = 0.03937; printPixel = 0.010416667; break;
    case ScaleUnit::Micrometre: screenFactor = 1000.0; printPixel = 264.58332; break;
    case ScaleUnit::Mil: screenFactor = 39.37; printPixel = 10.416667; break;
    default: break;
    }
    m.screen = double(pitch) * screenFactor * p / double(scale.hLength);
    m.printing = printPixel * p / double(scale.hLength);
    return m;
}

float CaclculateScreenSize(const scales::RulerScaleControl &scale, float detectedWidthCm, int screenWidthPx)
{
    if (screenWidthPx <= 0)
        return 0.0f;
    const float cm = scale.monitorWidthMode == 1 ? scale.manualMonitorWidthCm : detectedWidthCm;
    if (!std::isfinite(cm) || cm <= 0.0f)
        return 0.0f;
    // A width typed as 47.6 cm is 476 mm: the float nearest 47.6 lies just below it, and a plain
    // truncation of its tenfold would lose a whole millimetre.
    const int widthMm = int(std::nextafter(cm * 10.0f, HUGE_VALF));
    return float(widthMm) / float(screenWidthPx);
}

void ScaleBar::DrawHV(platform::Canvas &canvas, int orientation, double p, double q, double length)
{
    if (orientation == 0) {
        canvas.moveTo(int(q), int(p));
        canvas.lineTo(int(q + length), int(p));
    } else {
        canvas.moveTo(int(p), int(q));
        canvas.lineTo(int(p), int(q + length));
    }
}

void ScaleBar::DrawScale(platform::Canvas &canvas, QSize bitmap, const scales::RulerScaleControl &s)
{
    if (s.hLength == 0.0f || s.vLength == 0.0f || hidden_ || bitmap.isEmpty())
        return;
    if (s.horizontalPosition == 0 && s.verticalPosition == 0) {
        DrawMagnification(canvas, bitmap, s);
        return;
    }
    const int hCode = s.horizontalPosition == 0 ? 0 : s.horizontalPosition + 3 * s.horizontalOrigin;
    const int vCode = s.verticalPosition == 0 ? 0 : s.verticalPosition + 3 * s.verticalOrigin;

    canvas.setPen(1, 1, s.colour);
    canvas.setFont(kLabelFontPx, true);
    canvas.setTextColour(s.colour);
    const int W = bitmap.width(), H = bitmap.height();
    const int W2 = W / 2, H2 = H / 2;
    const TickUnit tick = tickUnitFor(s.unit, s.hLength);
    const double nH = double(s.hLength) / tick.major, nV = double(s.vLength) / tick.major;
    const double stepH = W / nH, stepV = H / nV;
    TextMetrics m;
    m.w0 = canvas.textWidth(QStringLiteral("0"));
    m.w3 = canvas.textWidth(QStringLiteral("000"));
    m.h0 = canvas.textHeight(QStringLiteral("0"));
    m.wR = canvas.textWidth(reserveText(s.unit));
    const int fH = kFontHeightProperty;

    const int row = s.horizontalPosition, col = s.verticalPosition;
    if (hCode != 0) {
        DrawHV(canvas, 0, row == 1 ? 0 : row == 2 ? H2 : H - 1, 0, W);
        graduations(canvas, 1, W, s.horizontalOrigin, nH, stepH, [&](int len) {
            return row == 1 ? std::pair{0.0, double(len)} : row == 2 ? std::pair{double((H - len) / 2), double(len)}
                                                                      : std::pair{double(H), double(-len)};
        });
    }
    if (vCode != 0) {
        DrawHV(canvas, 1, col == 1 ? 0 : col == 2 ? W2 : W - 1, 0, H);
        graduations(canvas, 0, H, s.verticalOrigin, nV, stepV, [&](int len) {
            return col == 1 ? std::pair{0.0, double(len)} : col == 2 ? std::pair{double((W - len) / 2), double(len)}
                                                                      : std::pair{double(W), double(-len)};
        });
    }

    if (hCode != 0) {
        const int yNumber = row == 1 ? T + fH + m.h0 : row == 2 ? (H + T) / 2 + fH + m.h0 : H - T - m.h0;
        const int yZero = row == 1 ? T / 2 : row == 2 ? (H + T - m.h0) / 2 : H - T / 2 - m.h0;
        const int yZeroBesideBar = row == 1 ? T / 2 + fH + m.h0 : row == 2 ? (T / 2 + H) / 2 + fH + m.h0 : H - T / 2 - m.h0;
        const int yTotal = row == 1 ? T + m.h0 : row == 2 ? (H + T) / 2 + m.h0 : H - T - m.h0 + fH;
        const long whole = long(cappedCount(nH, W)), half = long(cappedCount(nH, W) / 2.0);
        const int halfW0 = m.w0 / 2;
        switch (s.horizontalOrigin) {
        case 0:
            for (long i = 0; i < whole; ++i)
                number(canvas, double(i + 1) * stepH - halfW0, yNumber, int(i + 1));
            number(canvas, T / 2, yZero, 0);
            break;
        case 2:
            for (long i = 0; i < whole; ++i)
                number(canvas, W - double(i + 1) * stepH - halfW0, yNumber, int(i + 1));
            number(canvas, W - T / 2 - 1, yZero, 0);
            break;
        default:
            if (oneOf(vCode, 2, 5, 8)) {
                for (long i = 0; i < half; ++i)
                    number(canvas, W2 + double(i + 1) * stepH - halfW0, yNumber, int(i + 1));
                number(canvas, W2 - m.w3, yZeroBesideBar, 0);
            } else {
                for (long i = 0; i <= half; ++i)
                    number(canvas, W2 + double(i) * stepH - halfW0, yNumber, int(i));
            }
            for (long i = 0; i < half; ++i)
                number(canvas, W2 - double(i + 1) * stepH - halfW0, yNumber, int(i + 1));
            break;
        }
        const int xTotal = oneOf(vCode, 1, 4, 7) ? W - m.wR - 1 : 1;
        ShapeRenderer::DrawTextA(canvas, xTotal, yTotal, double(s.hLength) * tick.labelFactor, tick.decimals,
                                 tick.labelUnit, QStringLiteral("H"));
    }

    if (vCode != 0) {
        const int xNumber = col == 1 ? T : col == 2 ? (W + T) / 2 : W - T - m.w0;
        const int xZero = col == 1 ? T / 2 : col == 2 ? (W + T) / 2 : W - T / 2 - m.w0;
        const int xTotal = col == 1   ? T + m.w3
                           : col == 2 ? (s.verticalOrigin == 1 ? W2 + 10 + m.w3 : (W + T) / 2 + m.w3)
                                      : W - (T + m.wR + m.w3);
        const int lift = fH / 2 - 1;   // centres the number on its graduation
        const long whole = long(cappedCount(nV, H)), half = long(cappedCount(nV, H) / 2.0);
        switch (s.verticalOrigin) {
        case 0:
            for (long i = 0; i < whole; ++i)
                number(canvas, xNumber, double(i + 1) * stepV + lift, int(i + 1));
            if (hCode != vCode)
                number(canvas, xZero, T / 2, 0);
            break;
        case 2: {
            for (long i = 0; i < whole; ++i)
                number(canvas, xNumber, H - double(i + 1) * stepV + lift, int(i + 1));
            // A bottom bar whose origin is in the same corner has written this corner's "0".
            const bool cornerTaken = row == 3 && ((col == 1 && s.horizontalOrigin == 0) || (col == 3 && s.horizontalOrigin == 2));
            if (!cornerTaken)
                number(canvas, xZero, H - T / 2 - 1, 0);
            break;
        }
        default:
            if (oneOf(hCode, 2, 5, 8)) {
                for (long i = 0; i < half; ++i)
                    number(canvas, xNumber, H2 + double(i + 1) * stepV + lift, int(i + 1));
            } else {
                for (long i = 0; i <= half; ++i)
                    number(canvas, xNumber, H2 + double(i) * stepV + lift, int(i));
            }
            for (long i = 0; i < half; ++i)
                number(canvas, xNumber, H2 - double(i + 1) * stepV + lift, int(i + 1));
            break;
        }
        const int yTotal = oneOf(hCode, 1, 4, 7) ? H - m.h0 : 1;
        ShapeRenderer::DrawTextA(canvas, xTotal, yTotal, double(s.vLength) * tick.labelFactor, tick.decimals,
                                 tick.labelUnit, QStringLiteral("V"));
    }
}

void ScaleBar::DrawMagnification(platform::Canvas &canvas, QSize bitmap, const scales::RulerScaleControl &s)
{
    if (!s.displayMagnification) {
        caption_.clear();
        return;
    }
    if (s.hLength == 0.0f)
        return;
    const int W = bitmap.width();
    int mode = 0;
    int p = windowWidth_;
    if (burnIn_) {
        mode = s.magnificationMode;
        if (mode == 0)
            return;
        p = W;
    }
    const int x0 = windowWidth_ >= W ? W : p;
    const Magnification mag = magnificationFor(s, pitch_, p);
    QStringList lines;
    switch (mode) {
    case 1: lines << QString::asprintf("S:%0.1fX", mag.screen); break;
    case 2: lines << QString::asprintf("P:%0.1fX", mag.printing); break;
    case 3: lines << QString::asprintf("S:%0.1fX", mag.screen) << QString::asprintf("P:%0.1fX", mag.printing); break;
    default: lines << QString::asprintf("%0.1fX", mag.screen); break;
    }
    canvas.setFont(kMagnificationFontPx, true);
    canvas.setTextColour(kMagnificationColour);
    int y = 0;
    for (const QString &line : lines) {
        const int width = canvas.textWidth(line);
        const int height = canvas.textHeight(line);
        canvas.fillRect(x0 - width, y, x0, y + height, 0x000000);
        canvas.textOut(x0 - width, y, line);
        y += height;
    }
    caption_ = QString::asprintf("%0.1fX", mag.screen);
    canvas.setFont(kLabelFontPx, false);
}

} // namespace measure
