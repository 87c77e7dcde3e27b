#pragma once

#include <QString>
#include <QStringView>

#include <functional>

namespace widgets {

// The width in pixels a text takes in some font (a QFontMetrics::horizontalAdvance, or a fake).
using TextWidth = std::function<int(QStringView)>;

// `text` as it is when it is at most `width` pixels wide; otherwise on two lines (joined by "\n")
// broken where the wider line is narrowest, the first line the longer on a tie: at a space (which
// goes) when the text has one, between two characters when it has none (Chinese, Japanese). The
// caller checks whether two lines fit; a text is never broken inside a surrogate pair.
QString twoLines(const QString &text, int width, const TextWidth &measure);

} // namespace widgets
