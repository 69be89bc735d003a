#pragma once

#include <QObject>

class QSocketNotifier;

namespace quorvane {

// Turns SIGTERM, SIGINT and SIGHUP into an event of the event loop, so that
// a program ended by a session manager, a Ctrl+C or a closed terminal ends
// the way its Exit does and unwinds through its destructors: the work
// directory and the lock file go. A signal handler may do almost nothing, so
// it only writes the signal's number into a socket that the event loop reads.
// Each signal read is told by signalled(); while nothing is connected to it
// (before the main window exists) the event loop is left at once.
//
// Windows has no such signals: a console's Ctrl+C, Ctrl+Break, its close and
// the log-off or shutdown it is told of arrive on a thread of their own, and
// are passed on the same way under numbers of their own (WindowsEvent). The
// desktop session's end reaches a window program through Qt's session
// handling instead (see main).
class QuitOnSignal final : public QObject {
    Q_OBJECT
public:
    explicit QuitOnSignal(QObject *parent = nullptr);
    ~QuitOnSignal() override;
    Q_DISABLE_COPY_MOVE(QuitOnSignal)

    // False when the socket pair or a handler could not be set up; the
    // program then keeps the default dispositions and dies where it stands.
    [[nodiscard]] bool isActive() const
    {
#ifdef Q_OS_WIN
        return m_windowsHandler;
#else
        return m_notifier != nullptr;
#endif
    }

    // What the program returns after a signal: the shell's convention, so a
    // caller can still tell that it was signalled.
    static constexpr int exitCodeFor(int signalNumber) { return 128 + signalNumber; }
    // "SIGTERM", "SIGINT", "SIGHUP", the Windows events' names, or "signal N".
    [[nodiscard]] static QString signalName(int signalNumber);

    // The console events of Windows, numbered apart from any signal number.
    enum WindowsEvent : int {
        ConsoleCtrlC = 64,
        ConsoleBreak,
        ConsoleClose,
        ConsoleLogoff,
        ConsoleShutdown,
    };
    // Hands a signal or event to the event loop as the handler does; safe
    // from any thread.
    void deliver(int signalNumber);

signals:
    void signalled(int signalNumber);

private:
    void readSignal();
    void handle(int signalNumber);

    QSocketNotifier *m_notifier = nullptr;
#ifdef Q_OS_WIN
    bool m_windowsHandler = false;
#endif
};

} // namespace quorvane
