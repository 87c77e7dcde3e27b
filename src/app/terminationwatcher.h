#pragma once

#include <QObject>

class QSocketNotifier;

namespace app {

// Turns SIGTERM, SIGINT and SIGHUP (a desktop session ending, `kill`, Ctrl+C in a terminal) into
// one queued `terminationRequested()` on the UI thread, so the window closes through its normal
// close sequence: settings written, captures finished. The signal handler only writes one byte
// to a socket; everything else happens in the event loop.
class TerminationWatcher final : public QObject
{
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject *parent = nullptr);
    ~TerminationWatcher() override;

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    QSocketNotifier *notifier_ = nullptr;
};

} // namespace app
