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

CaptureCounter::CaptureCounter(CounterStore &store, const platform::Clock &clock, platform::DiagnosticsLog *log)
    : dateText(&state::shortDateText), store_(store), clock_(clock), log_(log)
{
}

namespace {

qint32 *counterOf(state::CaptureNumbers &n, CounterKind kind)
{
    switch (kind) {
    case CounterKind::Bmp:
        return &n.bmp;
    case CounterKind::Jpg:
        return &n.jpg;
    case CounterKind::Avi:
        return &n.avi;
    case CounterKind::Unknown:
        break;
    }
    return nullptr;
}

} // namespace

QString CaptureCounter::GetPhotoNumber(CounterKind kind, const NumberTaken &isTaken)
{
    const QDate today = clock_.today();
    state::CaptureNumbers n = store_.numbers();
    // CheckPhotoDate: the first number of a new day restarts all three counters.
    if (const QString day = dateText(today); n.todayDate != day)
        n = {day, 0, 0, 0};
    qint32 *counter = counterOf(n, kind);
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
    // Stored also when no number was free, so the skipped numbers stay consumed.
    store_.store(n);
    if (number.isEmpty() && log_)
        log_->exceptionAt(QStringLiteral("GetPhotoNumber"));
    return number;
}

} // namespace library
