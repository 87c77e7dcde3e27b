#pragma once

#include <QSize>
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

// The AVI writer (avimux) takes pictures of 16 to 4096 pixels a side.
constexpr int kMinVideoSide = 16;
constexpr int kMaxVideoSide = 4096;

// A chosen picture the video cannot be made of.
struct UnfitPicture {
    QString name;
    QSize size;   // as decoded, or as its header claims when it is too large to decode
};
// The picture that gives the video its size is the first one readable in the order written;
// later ones of another size are skipped. When the writer cannot take that size, the picture
// and its size; nullopt when it can, or when no picture is readable at all.
std::optional<UnfitPicture> unfitFirstPicture(const QString &folder, const QStringList &chosen, bool reverse);

// Where a sequence played or written in `reverse` starts, and the position after `index`:
// nullopt past the end unless `repeat` starts it again.
int startIndex(int count, bool reverse);
std::optional<int> nextIndex(int index, int count, bool reverse, bool repeat);

} // namespace tools
