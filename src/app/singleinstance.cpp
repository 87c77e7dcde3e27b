#include "singleinstance.h"

#include <QByteArray>
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

QString SingleInstance::defaultSocketPath()
{
    // The runtime folder is the user's own (mode 0700), so no other user reaches the socket.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime + QStringLiteral("/sendra-cam.socket");
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
