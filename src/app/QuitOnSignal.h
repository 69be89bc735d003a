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
class QuitOnSignal final : public QObject {
    Q_OBJECT
public:
    explicit QuitOnSignal(QObject *parent = nullptr);
    ~QuitOnSignal() override;
    Q_DISABLE_COPY_MOVE(QuitOnSignal)

    // False when the socket pair or a handler could not be set up; the
    // program then keeps the default dispositions and dies where it stands.
    [[nodiscard]] bool isActive() const { return m_notifier != nullptr; }

    // What the program returns after a signal: the shell's convention, so a
    // caller can still tell that it was signalled.
    static constexpr int exitCodeFor(int signalNumber) { return 128 + signalNumber; }
    // "SIGTERM", "SIGINT", "SIGHUP", or "signal N".
    [[nodiscard]] static QString signalName(int signalNumber);

signals:
    void signalled(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace quorvane
