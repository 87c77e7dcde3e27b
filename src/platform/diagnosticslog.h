#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The program's hidden diagnostic log: one line per caught failure or noteworthy step
// ("Exception Error at GetPhotoNumber", "V2I Thread Terminate"). Nothing reads it back; with
// SENDRA_CAM_LOG=1 in the environment every line is also echoed to stderr.
// UI thread only.
class DiagnosticsLog
{
public:
    DiagnosticsLog();

    void append(const QString &line);
    // "Exception Error at " + operation.
    void exceptionAt(const QString &operation);

    const QStringList &lines() const { return lines_; }
    bool contains(const QString &line) const { return lines_.contains(line); }

    // Older lines are dropped beyond this, so a program left running for weeks stays small.
    static constexpr int kMaxLines = 10000;

private:
    QStringList lines_;
    bool echo_ = false;
};

} // namespace platform
