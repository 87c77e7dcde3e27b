#pragma once

#include "platform/canvas.h"

#include <QString>

#include <vector>

namespace measure::testing {

// Records what is drawn, with fixed text metrics (7 px per character, 13 px high) so that label
// positions do not depend on the installed fonts.
class RecordingCanvas final : public platform::Canvas
{
public:
    struct Line { QPoint from, to; int style, width; platform::ColorRef colour; };
    struct Text { int x, y; QString text; int fontPx; platform::ColorRef colour; };
    struct Box { char what; QRect box; };   // 'e' ellipse, 'r' rectangle, 'a' arc

    std::vector<Line> lines;
    std::vector<Text> texts;
    std::vector<Box> boxes;

    void setPen(int styleCode, int width, platform::ColorRef colour) override { style_ = styleCode; width_ = width; colour_ = colour; }
    void moveTo(int x, int y) override { at_ = {x, y}; }
    void lineTo(int x, int y) override { lines.push_back({at_, {x, y}, style_, width_, colour_}); at_ = {x, y}; }
    void ellipse(int l, int t, int r, int b) override { boxes.push_back({'e', QRect(QPoint(l, t), QPoint(r, b))}); }
    void rectangle(int l, int t, int r, int b) override { boxes.push_back({'r', QRect(QPoint(l, t), QPoint(r, b))}); }
    void arc(int l, int t, int r, int b, int, int, int, int) override { boxes.push_back({'a', QRect(QPoint(l, t), QPoint(r, b))}); }
    void fillRect(int, int, int, int, platform::ColorRef) override {}
    void setFont(int px, bool) override { fontPx_ = px; }
    void setTextColour(platform::ColorRef c) override { textColour_ = c; }
    void textOut(int x, int y, const QString &t) override { texts.push_back({x, y, t, fontPx_, textColour_}); }
    int textWidth(const QString &t) override { return 7 * int(t.size()); }
    int textHeight(const QString &) override { return 13; }

    QStringList textStrings() const
    {
        QStringList out;
        for (const Text &t : texts)
            out << t.text;
        return out;
    }

private:
    QPoint at_;
    int style_ = 1, width_ = 1, fontPx_ = 11;
    platform::ColorRef colour_ = 0, textColour_ = 0;
};

} // namespace measure::testing
