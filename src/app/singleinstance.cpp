#include "singleinstance.h"

#include "state/usersettings.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace app {

namespace {
constexpr char kRequest[] = "activate\n";
constexpr char kAnswer[] = "ok\n";
} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject *parent) : QObject(parent), path_(std::move(socketPath)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::displayKey(const QString &platform, const QString &x11Display, const QString &waylandDisplay)
{
    if (platform == QLatin1String("wayland"))
        return QStringLiteral("wayland ") + (waylandDisplay.isEmpty() ? QStringLiteral("wayland-0") : waylandDisplay);
    if (platform == QLatin1String("xcb")) {
        // "host:display.screen": the screen is part of the same display, the host is not.
        QString display = x11Display;
        const qsizetype colon = display.lastIndexOf(u':');
        const qsizetype dot = display.indexOf(u'.', colon < 0 ? 0 : colon);
        if (colon >= 0 && dot > colon)
            display.truncate(dot);
        return QStringLiteral("x11 ") + display;
    }
    return platform;
}

namespace {
// Two spellings of one folder (a link, "..") are one profile.
QString sameFolder(const QString &folder)
{
    const QString canonical = QDir(folder).canonicalPath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : canonical;
}
} // namespace

QString SingleInstance::socketPathFor(const QString &runtimeDir, const QString &displayKey, const QString &profileDir)
{
    const QString profile = sameFolder(profileDir);
    const QByteArray digest = QCryptographicHash::hash((displayKey + u'\n' + profile).toUtf8(), QCryptographicHash::Sha256);
    return runtimeDir + QStringLiteral("/sendra-cam-") + QString::fromLatin1(digest.toHex().left(16)) +
           QStringLiteral(".socket");
}

QString SingleInstance::defaultSocketPath(const QString &platform)
{
    // The runtime folder is the user's own (mode 0700), so no other user reaches the socket.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QString display = displayKey(platform, qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("WAYLAND_DISPLAY"));
    return socketPathFor(runtime, display, state::UserPaths::profileDirFromEnvironment());
}

QString SingleInstance::handOverNotice(const QString &displayKey, const QString &profileDir)
{
    return QStringLiteral("sendra-cam: a viewer already runs on this display (%1) with the profile folder %2; "
                          "its window was brought to the front.\n")
        .arg(displayKey, sameFolder(profileDir));
}

bool SingleInstance::handOver()
{
    QLocalSocket socket;
    socket.connectToServer(path_);
    if (!socket.waitForConnected(kTimeoutMs))
        return false;   // no file, or a file nobody listens on any more
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(kTimeoutMs))
        return false;
    // The answer only tells that the request was read; a running instance busy past the
    // timeout still owns the camera, so the hand-over stands either way.
    socket.waitForReadyRead(kTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen(QString &error)
{
    // No socket options: with them Qt binds in a scratch folder and renames the socket over the
    // path, which would take the name from a running instance. The runtime folder is private.
    auto *server = new QLocalServer(this);
    if (!server->listen(path_)) {
        // Another start that won the race answers on it: that one is the instance.
        QLocalSocket probe;
        probe.connectToServer(path_);
        if (probe.waitForConnected(kTimeoutMs)) {
            error = QStringLiteral("another instance answers on ") + path_;
            delete server;
            return false;
        }
        // Left behind by a run that crashed: nobody answers on it, so it can go.
        QLocalServer::removeServer(path_);
        if (!server->listen(path_)) {
            error = server->errorString();
            delete server;
            return false;
        }
    }
    connect(server, &QLocalServer::newConnection, this, &SingleInstance::serveConnection);
    server_ = server;
    return true;
}

void SingleInstance::serveConnection()
{
    while (QLocalSocket *socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // A short request arrives in one piece; anything else is not ours and is dropped.
            if (!socket->canReadLine())
                return;
            const QByteArray line = socket->readLine(64);
            if (line == kRequest) {
                socket->write(kAnswer);
                Q_EMIT activationRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

} // namespace app
