#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>

namespace quorvane {

class CommandLog;

// Ends the program the way Exit does when it is asked to from outside the
// window: a signal (SIGTERM, SIGINT, SIGHUP) or the desktop session's end.
// Exit lets the running command end, still runs what must follow it (a
// synchronization's export after its import) and leaves out the rest, so a
// logout never cuts a multitool half-way nor starts a step after the cut.
// Since no one may be watching, it says on standard error and in the system
// log what asked, what was running and how each command ended; boxes meant
// for the user are written there instead of shown.
//
// The wait has an end: another signal, or `bound` after the first request,
// stops it (Shell::endWaits: a multitool is left to finish on its own, the
// replica script is ended with everything it started), and the program ends
// at most `lastGrace` later whatever still holds it.
class OrderlyExit final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OrderlyExit)
public:
    // What it needs of the main window.
    struct Window {
        std::function<void()> exit;              // the window's Exit
        std::function<bool()> busy;              // a long action is under way
        std::function<QString()> runningCommand; // the process waited for; empty for none
        std::function<void()> stopWaiting;       // ends that wait (Shell::endWaits)
        // From now on boxes are not shown but written through the function given.
        std::function<void(std::function<void(const QString &)>)> unattended;
    };
    enum class Severity { Notice, Warning };
    using Report = std::function<void(Severity, const QString &line)>;
    // Leaves every event loop with the program's exit status.
    using Quit = std::function<void(int exitCode)>;

    // Long enough for a real export of a large backlog to all replicas; the
    // multitool is not stopped when it passes, so a generous bound costs
    // nothing but the program's own lingering.
    static constexpr std::chrono::milliseconds defaultBound = std::chrono::minutes(60);
    // After the wait was stopped: the script's grace to end, and a little.
    static constexpr std::chrono::milliseconds lastGrace = std::chrono::seconds(5);

    OrderlyExit(Window window, const CommandLog *log, Report report = toSystemLog, Quit quitWith = {},
                std::chrono::milliseconds bound = defaultBound, QObject *parent = nullptr);
    ~OrderlyExit() override;

    // A signal asks the program to end. The first goes the way of Exit;
    // another stops the wait.
    void signalReceived(const QString &signalName, int exitCode);
    // The desktop session ends (its manager's last word to the program).
    void sessionEnds();

    // What main() returns: the signal's exit status, or 0.
    [[nodiscard]] int exitCode() const { return m_exitCode; }
    [[nodiscard]] bool requested() const { return !m_cause.isEmpty(); }

    // Once the event loop has ended: how the commands run since the request
    // ended. Says nothing when nothing from outside asked for the end.
    void finish();

    // Standard error ("quorvane: " and the line) and syslog(3).
    static void toSystemLog(Severity severity, const QString &line);

protected:
    // The session's end arrives as a spontaneous Quit event to the
    // application: it goes the same way instead of closing windows itself.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // cause: what the later lines name ("SIGTERM"); headline: how the first says it.
    void request(const QString &cause, const QString &headline, int exitCode);
    void stopWaiting(const QString &why);
    void quit();
    [[nodiscard]] QString runningText() const;

    Window m_window;
    const CommandLog *m_log;
    Report m_report;
    Quit m_quit;
    QString m_cause;       // what asked first; empty: nothing yet
    int m_exitCode = 0;
    int m_signals = 0;
    bool m_stopped = false;
    bool m_finished = false;
    qsizetype m_logMark = 0; // entries logged before the request, dropped ones included
    QTimer m_bound;
    QTimer m_lastGrace;
};

} // namespace quorvane
