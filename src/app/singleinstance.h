#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace app {

// One viewer per user: a second start would fight the first over the camera and the settings
// file. The first instance listens on a local socket in the user's runtime directory; a later
// start asks it to come to the front and ends. UI thread only.
class SingleInstance final : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(QString socketPath, QObject *parent = nullptr);
    ~SingleInstance() override;

    // "$XDG_RUNTIME_DIR/sendra-cam.socket"; without the variable, Qt's private per-user folder.
    static QString defaultSocketPath();

    // Asks a running instance to bring its window to the front; true when one is there.
    bool handOver();
    // Makes this process the one later starts hand over to. A socket file left behind by a
    // crashed run is replaced; false with the reason when no socket can be made or another
    // start got there first (then hand over to that one).
    bool listen(QString &error);

    const QString &socketPath() const { return path_; }

    static constexpr int kTimeoutMs = 3000;

Q_SIGNALS:
    // A later start asked for the window.
    void activationRequested();

private:
    void serveConnection();

    QString path_;
    QLocalServer *server_ = nullptr;
};

} // namespace app
