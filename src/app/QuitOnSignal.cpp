#include "app/QuitOnSignal.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>

#ifdef Q_OS_WIN
#include <atomic>
#include <windows.h>
#else
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace quorvane {

namespace {

#ifdef Q_OS_WIN
std::atomic<QuitOnSignal *> s_instance{nullptr};

// Called on a thread Windows makes for the event.
BOOL WINAPI onConsoleEvent(DWORD type)
{
    QuitOnSignal *const self = s_instance.load();
    if (!self)
        return FALSE;
    switch (type) {
    case CTRL_C_EVENT:
        self->deliver(QuitOnSignal::ConsoleCtrlC);
        return TRUE;
    case CTRL_BREAK_EVENT:
        self->deliver(QuitOnSignal::ConsoleBreak);
        return TRUE;
    case CTRL_CLOSE_EVENT:
        self->deliver(QuitOnSignal::ConsoleClose);
        break;
    case CTRL_LOGOFF_EVENT:
        self->deliver(QuitOnSignal::ConsoleLogoff);
        break;
    case CTRL_SHUTDOWN_EVENT:
        self->deliver(QuitOnSignal::ConsoleShutdown);
        break;
    default:
        return FALSE;
    }
    // Windows ends the process as soon as this returns, and at the latest a
    // few seconds later: holding it gives the event loop that time to go the
    // way of Exit and remove the work folder and the lock.
    ::Sleep(20000);
    return TRUE;
}
#else

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
#endif

} // namespace

QuitOnSignal::QuitOnSignal(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_WIN
    QuitOnSignal *expected = nullptr;
    if (!s_instance.compare_exchange_strong(expected, this))
        return; // another instance already owns the handler
    m_windowsHandler = ::SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
    if (!m_windowsHandler)
        s_instance.store(nullptr);
#else
    if (s_sockets[0] != -1)
        return; // another instance already owns the handlers
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, s_sockets) != 0) {
        s_sockets[0] = s_sockets[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(s_sockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitOnSignal::readSignal);
    setDisposition(onQuitSignal);
#endif
}

QuitOnSignal::~QuitOnSignal()
{
#ifdef Q_OS_WIN
    if (m_windowsHandler) {
        ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
        s_instance.store(nullptr);
    }
#else
    if (!m_notifier)
        return;
    setDisposition(SIG_DFL);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(s_sockets[0]);
    ::close(s_sockets[1]);
    s_sockets[0] = s_sockets[1] = -1;
#endif
}

void QuitOnSignal::readSignal()
{
#ifndef Q_OS_WIN
    unsigned char byte = 0;
    if (::read(s_sockets[1], &byte, 1) != 1)
        return;
    handle(byte);
#endif
}

void QuitOnSignal::deliver(int signalNumber)
{
    QMetaObject::invokeMethod(this, [this, signalNumber] { handle(signalNumber); }, Qt::QueuedConnection);
}

void QuitOnSignal::handle(int signalNumber)
{
    if (isSignalConnected(QMetaMethod::fromSignal(&QuitOnSignal::signalled))) {
        emit signalled(signalNumber);
        return;
    }
    // No window to close yet (a box shown before it): exit() ends that box's
    // loop too.
    QCoreApplication::exit(exitCodeFor(signalNumber));
}

QString QuitOnSignal::signalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGINT:
        return QStringLiteral("SIGINT");
#ifdef SIGHUP
    case SIGHUP:
        return QStringLiteral("SIGHUP");
#endif
    case ConsoleCtrlC:
        return QStringLiteral("Ctrl+C");
    case ConsoleBreak:
        return QStringLiteral("Ctrl+Break");
    case ConsoleClose:
        return QStringLiteral("the console's close");
    case ConsoleLogoff:
        return QStringLiteral("the log-off");
    case ConsoleShutdown:
        return QStringLiteral("the shutdown");
    default:
        return QStringLiteral("signal ") + QString::number(signalNumber);
    }
}

} // namespace quorvane
