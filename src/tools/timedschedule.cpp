#include "timedschedule.h"

#include <algorithm>
#include <cmath>

namespace tools {

int secondsPerUnit(int unit)
{
    switch (unit) {
    case kUnitMinutes:
        return 60;
    case kUnitHours:
        return 3600;
    default:
        return 1;
    }
}

namespace {

// `value` in unit `from` expressed in unit `to`.
double convert(double value, int from, int to) { return value * secondsPerUnit(from) / secondsPerUnit(to); }

double round2(double v) { return std::round(v * 100.0) / 100.0; }

} // namespace

int totalUnit(const ScheduleRecord &r) { return r.isAvi() ? r.recordUnit : r.intervalUnit; }

float totalFigure(const ScheduleRecord &r)
{
    const int n = r.filesNumber;
    const int unit = totalUnit(r);
    const double start = convert(r.startTime, r.startUnit, unit);
    if (r.isAvi()) {
        const double interval = convert(r.interval, r.intervalUnit, unit);
        return float(round2(double(r.recordTime) * n + (n - 1) * interval) + round2(start));
    }
    return float(round2(double(n - 1) * r.interval) + round2(start));
}

long totalSecondsOf(const ScheduleRecord &r)
{
    long total = long(r.startTime) * secondsPerUnit(r.startUnit)
                 + long(std::max(r.filesNumber - 1, 0)) * r.interval * secondsPerUnit(r.intervalUnit);
    if (r.isAvi())
        total += long(r.filesNumber) * r.recordTime * secondsPerUnit(r.recordUnit);
    return total;
}

QString figureText(double value)
{
    QString text = QString::number(round2(value), 'f', 2);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

QString totalFigureText(const ScheduleRecord &r, const QString &unitText)
{
    const QString figure = figureText(r.totalFigure);
    return r.isAvi() ? figure + u'(' + unitText + u')' : figure + QStringLiteral(" [") + unitText + u']';
}

bool isDecimalDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

FieldCheck checkScheduleField(ScheduleField field, const QString &typed)
{
    const QString byDefault = field == ScheduleField::RecordTime ? QStringLiteral("10") : QStringLiteral("1");
    const QString afterBadInput = field == ScheduleField::StartTime ? QStringLiteral("0") : byDefault;
    FieldCheck c;
    if (typed.isEmpty()) {
        c.text = byDefault;
    } else if (!isDecimalDigits(typed)) {
        c.text = afterBadInput;
        c.notANumber = true;
    } else {
        c.text = typed;
        // Nothing to wait for between no files, and no clip of no length.
        if (field != ScheduleField::StartTime && typed.toInt() == 0)
            c.text = byDefault;
    }
    c.value = c.text.toInt();
    return c;
}

void TimedSchedule::arm()
{
    settings_.active = true;
    running_ = settings_;
}

void TimedSchedule::setActive(bool on)
{
    settings_.active = on;
    running_ = settings_;
    phase_ = 0;
    resetCounters();
}

void TimedSchedule::reset()
{
    running_ = settings_;
    phase_ = 0;
    resetCounters();
}

void TimedSchedule::countdown(int &value, int unit)
{
    if (value == 0)
        return;
    ++seconds_;
    --running_.totalSeconds;
    if (unit == kUnitSeconds)
        --value;
    if (seconds_ >= 60) {
        seconds_ = 0;
        ++minutes_;
        if (unit == kUnitMinutes)
            --value;
        if (minutes_ >= 60) {
            minutes_ = 0;
            ++hours_;
            if (unit == kUnitHours)
                --value;
        }
    }
}

TickAction TimedSchedule::advance()
{
    const auto due = [this] { return TickAction(running_.fileType); };
    if (running_.active && phase_ == 0) {
        resetCounters();
        running_.startTime = settings_.startTime;
        phase_ = 1;
    }
    switch (phase_) {
    case 1:
        countdown(running_.startTime, running_.startUnit);
        log(QStringLiteral("Start Time=") + QString::number(running_.startTime));
        if (running_.startTime != 0)
            return TickAction::None;
        resetCounters();
        if (running_.isAvi()) {
            running_.recordTime = settings_.recordTime;
            phase_ = 3;
        } else {
            running_.interval = settings_.interval;
            phase_ = 2;
        }
        running_.filesNumber = std::max(running_.filesNumber - 1, 0);
        return due();
    case 2:
        if (running_.filesNumber <= 0) {
            settings_.active = running_.active = false;
            phase_ = 0;
            log(QStringLiteral("Finished"));
            return TickAction::None;
        }
        countdown(running_.interval, running_.intervalUnit);
        log(QStringLiteral("FileNum") + QString::number(running_.filesNumber));
        if (running_.interval != 0)
            return TickAction::None;
        resetCounters();
        if (running_.isAvi()) {
            running_.recordTime = settings_.recordTime;
            phase_ = 3;
        }
        running_.interval = settings_.interval;
        running_.filesNumber = std::max(running_.filesNumber - 1, 0);
        return due();
    case 3:
        countdown(running_.recordTime, running_.recordUnit);
        log(QStringLiteral("Recording") + QString::number(running_.recordTime));
        if (running_.recordTime != 0)
            return TickAction::None;
        resetCounters();
        phase_ = 2;
        return due();
    default:
        return TickAction::None;
    }
}

} // namespace tools
