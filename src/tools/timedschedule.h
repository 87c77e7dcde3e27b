#pragma once

#include <QString>

#include <functional>

namespace tools {

// Units of the three time fields and of the counters: index into "sec.", "min.", "hour".
enum TimeUnit { kUnitSeconds = 0, kUnitMinutes = 1, kUnitHours = 2 };
// File types of a timed capture, as the library pages number them.
enum CaptureType { kCaptureBmp = 0, kCaptureJpg = 1, kCaptureAvi = 2 };
// Folder naming of every tool dialog.
enum FolderMode { kFolderAuto = 0, kFolderKeyIn = 1, kFolderAssign = 2 };

// 1, 60 or 3600 seconds per unit; an unknown unit counts as seconds.
int secondsPerUnit(int unit);

// One schedule. The dialog edits a settings copy; the timer counts down a running copy.
struct ScheduleRecord {
    bool active = false;
    int fileType = kCaptureJpg;
    int startTime = 0;
    int startUnit = kUnitSeconds;
    int interval = 0;
    int intervalUnit = kUnitSeconds;
    int recordTime = 0;
    int recordUnit = kUnitSeconds;
    float totalFigure = 0;      // the dialog's total, rounded to 0.01, in the unit totalUnit() names
    long totalSeconds = 0;      // whole schedule in seconds; counted down in the running copy
    int filesNumber = 0;        // running copy: files still to take
    bool saveScale = false;
    QString savePath;
    int folderMode = kFolderAuto;

    bool isAvi() const { return fileType == kCaptureAvi; }
};

// The total figure: AVI in the record unit, stills in the interval unit. The start delay is
// converted from its own unit, so a 1 min delay before three stills 5 s apart reads 70 [sec.].
float totalFigure(const ScheduleRecord &r);
int totalUnit(const ScheduleRecord &r);
long totalSecondsOf(const ScheduleRecord &r);
// "25(sec.)" for clips, "9 [sec.]" for stills; the figure without trailing zeros.
QString totalFigureText(const ScheduleRecord &r, const QString &unitText);
// A float figure as the dialog shows it: at most two decimals, no trailing zeros.
QString figureText(double value);

// The four edit fields of the dialog and what a typed text becomes.
enum class ScheduleField { Unknown, StartTime, Interval, FilesNumber, RecordTime };
struct FieldCheck {
    QString text;          // what the field shows afterwards
    int value = 0;
    bool notANumber = false;   // show PleaseInputNumber_MsgBox
};
FieldCheck checkScheduleField(ScheduleField field, const QString &typed);
// Digits only (no sign, no space) and not empty.
bool isDecimalDigits(const QString &text);

// What a tick asks the window to do.
enum class TickAction { None = -1, Bmp = kCaptureBmp, Jpg = kCaptureJpg, Avi = kCaptureAvi };

// The timed-capture runner: two schedule copies and the countdown. No timer, no clock: the
// caller calls advance() once a second. UI thread.
class TimedSchedule
{
public:
    ScheduleRecord &settings() { return settings_; }
    const ScheduleRecord &settings() const { return settings_; }
    const ScheduleRecord &running() const { return running_; }

    // Execute: the settings copy becomes active and is copied to the running copy.
    void arm();
    // Both copies active or not; starting or stopping copies the settings over the running copy
    // and resets the runner.
    void setActive(bool on);
    void markRunningInactive() { running_.active = false; }
    // Stop: the running copy becomes the settings copy again and the runner is idle.
    void reset();

    // One second. Returns the file action due, if any.
    TickAction advance();

    int phase() const { return phase_; }
    // Log lines of each step ("Start Time=3", "FileNum2", "Recording9", "Finished").
    std::function<void(const QString &)> log = [](const QString &) {};

private:
    // Counts `value` (in `unit`) down by one tick's worth.
    void countdown(int &value, int unit);
    void resetCounters() { seconds_ = minutes_ = hours_ = 0; }

    ScheduleRecord settings_;
    ScheduleRecord running_;
    int phase_ = 0;   // 0 idle, 1 start delay, 2 between files, 3 recording
    int seconds_ = 0, minutes_ = 0, hours_ = 0;
};

} // namespace tools
