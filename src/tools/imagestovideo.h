#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tools {

// Frame rates the slider offers, and the period of one frame in whole milliseconds (30 fps:
// 33 ms, so the stream runs at 1000/33 frames a second).
constexpr int kMinFrameRate = 1;
constexpr int kMaxFrameRate = 30;
constexpr int kDefaultFrameRate = 5;
int framePeriodMs(int framesPerSecond);

// The pictures of `folder` of one type whose content is what their name says ("BM" for .bmp,
// FF D8 for .jpg; a JPEG named .bmp is not a BMP), by name.
QStringList listPictures(const QString &folder, bool jpg);

// Where a sequence played or written in `reverse` starts, and the position after `index`:
// nullopt past the end unless `repeat` starts it again.
int startIndex(int count, bool reverse);
std::optional<int> nextIndex(int index, int count, bool reverse, bool repeat);

} // namespace tools
