#include "terminationwatcher.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace app {
namespace {

int g_signalSocket[2] = {-1, -1};   // written only by the handler below, read on the UI thread

extern "C" void onTerminationSignal(int signalNumber)
{
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(g_signalSocket[0], &byte, 1);
}

} // namespace

TerminationWatcher::TerminationWatcher(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalSocket) != 0)
        return;
    notifier_ = new QSocketNotifier(g_signalSocket[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (::read(g_signalSocket[1], &byte, 1) == 1)
            Q_EMIT terminationRequested(int(byte));
    });
    struct sigaction sa {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(s, &sa, nullptr);
}

TerminationWatcher::~TerminationWatcher()
{
    struct sigaction sa {};
    sa.sa_handler = SIG_DFL;
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(s, &sa, nullptr);
    delete notifier_;
    for (int &fd : g_signalSocket)
        if (fd >= 0)
            ::close(std::exchange(fd, -1));
}

} // namespace app
