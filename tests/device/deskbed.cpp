// Runs a command on the acceptance desk: `device_deskbed COMMAND...` builds the made-up desk
// (every camera streaming grey frames through read()) and runs COMMAND with libumockdev-preload
// and the testbed's folder in its environment, serving the cameras' ioctls until it ends. Used to
// look at the real viewer on the desk under a virtual X server (scripts/screenshot).
#include "desk.h"
#include "preload.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    devtest::startUnderUmockdevPreload(argv);
    QCoreApplication app(argc, argv);
    QStringList command = QCoreApplication::arguments().mid(1);
    if (command.isEmpty()) {
        std::fputs("usage: device_deskbed COMMAND [ARGUMENTS...]\n", stderr);
        return 2;
    }
    devtest::Testbed bed;
    devtest::Desk desk(bed, true);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(command.takeFirst(), command);
    if (!child.waitForStarted())
        return 127;
    child.waitForFinished(-1);
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : 1;
}
