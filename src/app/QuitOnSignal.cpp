#include "app/QuitOnSignal.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace quorvane {

namespace {

constexpr std::array<int, 3> QuitSignals{SIGTERM, SIGINT, SIGHUP};

// [0] is written by the handler, [1] read by the event loop. One set per
// process: signal dispositions are process-wide anyway.
int s_sockets[2] = {-1, -1};

extern "C" void onQuitSignal(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // Nothing can be done about a full or broken socket inside a handler; a
    // second signal while the first is unread changes nothing anyway.
    [[maybe_unused]] const ssize_t written = ::write(s_sockets[0], &byte, 1);
    errno = savedErrno;
}

void setDisposition(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : QuitSignals)
        sigaction(signalNumber, &action, nullptr);
}

} // namespace

QuitOnSignal::QuitOnSignal(QObject *parent) : QObject(parent)
{
    if (s_sockets[0] != -1)
        return; // another instance already owns the handlers
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, s_sockets) != 0) {
        s_sockets[0] = s_sockets[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(s_sockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitOnSignal::readSignal);
    setDisposition(onQuitSignal);
}

QuitOnSignal::~QuitOnSignal()
{
    if (!m_notifier)
        return;
    setDisposition(SIG_DFL);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(s_sockets[0]);
    ::close(s_sockets[1]);
    s_sockets[0] = s_sockets[1] = -1;
}

void QuitOnSignal::readSignal()
{
    unsigned char byte = 0;
    if (::read(s_sockets[1], &byte, 1) != 1)
        return;
    if (isSignalConnected(QMetaMethod::fromSignal(&QuitOnSignal::signalled))) {
        emit signalled(byte);
        return;
    }
    // No window to close yet (a box shown before it): exit() ends that box's
    // loop too.
    QCoreApplication::exit(exitCodeFor(byte));
}

QString QuitOnSignal::signalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    default:
        return QStringLiteral("signal ") + QString::number(signalNumber);
    }
}

} // namespace quorvane
