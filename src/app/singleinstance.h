#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace app {

// One viewer per display and profile folder: a second start there would fight the first over the
// camera and the settings file. The first instance listens on a local socket in the user's
// runtime directory whose name carries the display and the profile; a later start with the same
// two asks it to come to the front and ends, while a start on another display or with another
// profile folder gets a socket of its own and runs its own viewer. UI thread only.
class SingleInstance final : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(QString socketPath, QObject *parent = nullptr);
    ~SingleInstance() override;

    // The display a start shows its window on: the X display without its screen number (":1.0"
    // and ":1" are one display), the Wayland socket for the wayland platform, else the platform's
    // own name ("offscreen", which shows on no display). `platform` is
    // QGuiApplication::platformName().
    static QString displayKey(const QString &platform, const QString &x11Display, const QString &waylandDisplay);
    // "<runtimeDir>/sendra-cam-<16 hex digits>.socket", the digits a digest of the display key and
    // the profile folder made absolute and clean, so that the name stays short whatever the path.
    static QString socketPathFor(const QString &runtimeDir, const QString &displayKey, const QString &profileDir);
    // socketPathFor() in "$XDG_RUNTIME_DIR" (without the variable, Qt's private per-user folder),
    // for this process's display and profile folder (USERPROFILE, else HOME).
    static QString defaultSocketPath(const QString &platform);
    // What a start that handed over prints on stderr, so a user at a terminal knows why no
    // second window came.
    static QString handOverNotice(const QString &displayKey, const QString &profileDir);

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
