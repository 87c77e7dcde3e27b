#pragma once

#include <QDateTime>
#include <QString>

namespace tools {

// Tool folder or file name in Auto mode: `base` + "_" + local time as "yyyymmdd-hhnnss"
// (TCjpg_20240105-093007).
QString autoName(const QString &base, const QDateTime &now);

// Digits of the running number of a sequence of n files: 10 files are 0..9, 100 files 00..99.
int numberWidth(long long files);

// "Video_07.jpg": the base name, "_", the number with `width` digits, the extension.
QString sequenceFileName(const QString &base, long long number, int width, bool jpg);

// Percentage of `done` out of `total`, rounded up; 100 when total is 0 and something was done.
int percentUp(long long done, long long total);

} // namespace tools
