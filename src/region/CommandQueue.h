#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>

class QTimer;

namespace quorvane {

// One program run of a survey: a command line as the program's own callers
// write it (split with the project's command-line rules, never given to a
// shell), the folder it runs in, and the hosts it contacts. A command that
// asks nothing of a remote host names none. Among commands that name no
// host, a higher priority starts first (see CommandQueue).
struct QueuedCommand {
    QString commandLine;
    QString workDir;
    QStringList hosts;
    int priority = 0;
};

struct CommandOutcome {
    enum class Kind {
        Ran,        // started and ended by itself; see exitCode
        NotStarted, // no such program, or it could not be started
        Crashed,    // ended abnormally
        TimedOut,   // still running at its time limit, and stopped
        Cancelled,  // stopped by cancel()
    };
    Kind kind = Kind::Ran;
    int exitCode = 0;
    QByteArray output;
    QByteArray errors;
    QString why; // for NotStarted: the reason
    qint64 elapsedMs = 0;
    [[nodiscard]] bool succeeded() const { return kind == Kind::Ran && exitCode == 0; }
    // One line saying how it ended, for a report: ClearCase's last error line
    // where it gave one.
    [[nodiscard]] QString describe(const QString &commandLine, int timeLimitMs) const;
};

// Starts commands and tells when each has ended. The queue decides what
// runs when; a runner only starts and stops. Finishing must be signalled
// from the event loop, never from inside start().
class CommandRunner {
public:
    using Done = std::function<void(CommandOutcome)>;
    virtual ~CommandRunner() = default;
    virtual void start(int id, const QueuedCommand &command, Done done) = 0;
    // Asks the run to end; its Done still comes (with whatever it ended as).
    virtual void stop(int id) = 0;
};

// Runs programs with QProcess, straight (no shell): the first word of the
// line is looked up with ClearCase's folder first on the search path, and
// "ccperl" starts the product's Perl where one was found. On UNIX each run
// leads its own process group, so a stop reaches what it started (the
// replica script's cleartool and multitool): TERM first, KILL after a grace.
class ProcessRunner final : public CommandRunner {
public:
    ProcessRunner(QString clearCaseDir = {}, QString perl = {},
                  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment());
    ~ProcessRunner() override;
    Q_DISABLE_COPY_MOVE(ProcessRunner)

    void start(int id, const QueuedCommand &command, Done done) override;
    void stop(int id) override;

    // The program a command's first word starts ("" when none is found),
    // and the environment it runs in.
    [[nodiscard]] QString programPath(const QString &name) const;
    [[nodiscard]] const QProcessEnvironment &environment() const { return m_environment; }

    static constexpr int stopGraceMs = 2000;
    // Output kept per stream; a survey's commands print a few lines.
    static constexpr qsizetype maxOutputBytes = 4 * 1024 * 1024;

private:
    struct Run;
    QString m_clearCaseDir;
    QString m_perl;
    QProcessEnvironment m_environment;
    QStringList m_searchPaths;
    QHash<int, Run *> m_runs;
};

// Runs queued commands with a bounded number in flight (fewer of them
// working on this machine alone), at most a few per host, each within a
// time limit, all on the caller's event loop (signals,
// no nested loop, no thread).
//
// What starts next: a command that asks hosts goes before any that asks
// none, and of those the one whose busiest host has the most work left
// (waiting and running), so that host, which decides how soon everything
// can end, is never left idle while a slot could serve it. A host command
// that cannot start (a host at its bound) waits while others run. Commands
// that ask no host follow by priority, then in the order queued.
class CommandQueue final : public QObject {
    Q_OBJECT
public:
    // A command to hosts mostly waits for them, so many may be in flight;
    // one that asks none works on this machine, so few run at once.
    struct Limits {
        int inFlight = 32;
        int perHost = 2;
        int timeLimitMs = 120000;
        int local = 8; // of those in flight, at most this many that ask no host
    };
    using Done = std::function<void(const CommandOutcome &)>;

    CommandQueue(CommandRunner &runner, Limits limits, QObject *parent = nullptr);
    ~CommandQueue() override;
    Q_DISABLE_COPY_MOVE(CommandQueue)

    void add(const QueuedCommand &command, Done done);
    // Stops what runs and drops what waits; each one's Done comes with
    // Cancelled (the running ones once they have ended). Commands added later
    // are refused the same way.
    void cancel();

    [[nodiscard]] const Limits &limits() const { return m_limits; }
    [[nodiscard]] int running() const { return int(m_running.size()); }
    [[nodiscard]] qsizetype waiting() const { return m_toHosts.size() + m_localCount; }
    [[nodiscard]] bool cancelled() const { return m_cancelled; }

signals:
    // Every command has ended and none waits.
    void idle();

private:
    struct Entry {
        int id = 0;
        QueuedCommand command;
        Done done;
        QTimer *timer = nullptr;
        bool timedOut = false;
    };
    void pump();
    bool fits(const QueuedCommand &command) const;
    qsizetype nextToHosts() const;
    Entry takeLocal();
    void finished(int id, CommandOutcome outcome);

    CommandRunner &m_runner;
    Limits m_limits;
    QList<Entry> m_toHosts;                              // commands that ask hosts, in the order queued
    std::map<int, QList<Entry>, std::greater<>> m_local; // the others: per priority, highest first
    qsizetype m_localCount = 0;
    QHash<int, Entry> m_running;
    int m_runningLocal = 0;
    QHash<QString, int> m_perHost;  // running, per host (lower case)
    QHash<QString, int> m_hostWork; // waiting and running, per host (lower case)
    int m_nextId = 1;
    bool m_cancelled = false;
    bool m_pumping = false;
};

} // namespace quorvane
