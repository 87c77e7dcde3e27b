#pragma once

#include "state/globalvar.h"

#include <QDate>
#include <QString>

#include <functional>

namespace platform {
class Clock;
class DiagnosticsLog;
} // namespace platform

namespace library {

// "yyyymmdd_" + the counter with at least five digits: the third capture of 11 November 2014 is
// "20141111_00003"; beyond 99999 the number simply grows ("20141111_123456").
QString captureNumberText(QDate day, int counter);

// stem + captureNumberText(day, n) for the smallest n from 1 whose name is not taken: a name
// proposed in the library's style without advancing any counter. Empty when every number is taken.
QString firstFreeNumberedName(const QString &stem, QDate day, const std::function<bool(const QString &name)> &isTaken);

// Which of the three daily counters a capture advances.
enum class CounterKind { Unknown, Bmp, Jpg, Avi };

// GetPhotoNumber's choice: a video takes the AVI counter; a still takes the JPG counter while the
// browser shows page 1 or 2, else the BMP counter.
CounterKind counterForCapture(bool video, int browserPage);

// Whether the file a number would name exists already. Receives the number text only: the caller
// knows the folder, the word and the extension.
using NumberTaken = std::function<bool(const QString &numberText)>;

// Where the daily counters live: read before each number, stored (and written to disk) with the
// number given. The program keeps them in the settings record; the counter is their one writer.
class CounterStore
{
public:
    virtual state::CaptureNumbers numbers() const = 0;
    virtual void store(const state::CaptureNumbers &numbers) = 0;

protected:
    ~CounterStore() = default;
};

// GetPhotoNumber over the counter store. Each call restarts the counters on a new day, advances
// one counter, has the numbers stored (every given number is on disk before it is used, so a
// crash never hands it out twice) and returns the number text.
//
// With `isTaken`, numbers whose file exists are skipped: after a lost settings file, a changed
// date format or a folder switch the counter may point at earlier captures, and an automatic save
// must never overwrite them. The counter ends on the number returned. An empty text means no free
// number was found (the counter reached its limit); the caller writes nothing.
class CaptureCounter
{
public:
    CaptureCounter(CounterStore &store, const platform::Clock &clock, platform::DiagnosticsLog *log = nullptr);

    QString GetPhotoNumber(CounterKind kind, const NumberTaken &isTaken = {});

    // The date text the counters belong to; defaults to the system's short date format.
    std::function<QString(QDate)> dateText;

private:
    CounterStore &store_;
    const platform::Clock &clock_;
    platform::DiagnosticsLog *log_;
};

} // namespace library
