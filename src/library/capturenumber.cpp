#include "capturenumber.h"

#include "state/usersettings.h"
#include "platform/clock.h"
#include "platform/diagnosticslog.h"

#include <limits>

namespace library {

QString captureNumberText(QDate day, int counter)
{
    return day.toString(QStringLiteral("yyyyMMdd")) + u'_' + QString::asprintf("%.5d", counter);
}

QString firstFreeNumberedName(const QString &stem, QDate day, const std::function<bool(const QString &name)> &isTaken)
{
    for (int n = 1; n < std::numeric_limits<int>::max(); ++n) {
        const QString name = stem + captureNumberText(day, n);
        if (!isTaken || !isTaken(name))
            return name;
    }
    return QString();
}

CounterKind counterForCapture(bool video, int browserPage)
{
    if (video)
        return CounterKind::Avi;
    return browserPage == state::kListJpg || browserPage == state::kListAvi ? CounterKind::Jpg : CounterKind::Bmp;
}

CaptureCounter::CaptureCounter(state::DefaultData &data, const platform::Clock &clock,
                               std::function<void()> writeSettings, platform::DiagnosticsLog *log)
    : dateText(&state::shortDateText), data_(data), clock_(clock), writeSettings_(std::move(writeSettings)), log_(log)
{
}

qint32 *CaptureCounter::counterOf(CounterKind kind)
{
    switch (kind) {
    case CounterKind::Bmp:
        return &data_.BmpNumber;
    case CounterKind::Jpg:
        return &data_.JpgNumber;
    case CounterKind::Avi:
        return &data_.AviNumber;
    case CounterKind::Unknown:
        break;
    }
    return nullptr;
}

QString CaptureCounter::GetPhotoNumber(CounterKind kind, const NumberTaken &isTaken)
{
    const QDate today = clock_.today();
    state::checkPhotoDate(data_, dateText(today));
    qint32 *counter = counterOf(kind);
    if (!counter) {
        if (log_)
            log_->exceptionAt(QStringLiteral("GetPhotoNumber"));
        return {};
    }
    QString number;
    while (*counter < std::numeric_limits<qint32>::max()) {
        ++*counter;
        const QString candidate = captureNumberText(today, *counter);
        if (!isTaken || !isTaken(candidate)) {
            number = candidate;
            break;
        }
    }
    // Written also when no number was free, so the skipped numbers stay consumed.
    if (writeSettings_)
        writeSettings_();
    if (number.isEmpty() && log_)
        log_->exceptionAt(QStringLiteral("GetPhotoNumber"));
    return number;
}

} // namespace library
