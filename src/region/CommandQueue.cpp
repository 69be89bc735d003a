#include "region/CommandQueue.h"

#include "ccase/ClearCaseDiscovery.h"
#include "ccase/CommandLine.h"
#include "ccase/ProcessJob.h"
#include "ccase/ProcessShell.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace quorvane {

QString CommandOutcome::describe(const QString &commandLine, int timeLimitMs) const
{
    switch (kind) {
    case Kind::NotStarted:
        return commandLine + QStringLiteral(" could not be started: ") + why;
    case Kind::Crashed:
        return commandLine + QStringLiteral(" ended abnormally.");
    case Kind::TimedOut:
        return commandLine + QStringLiteral(" did not answer within ") + QString::number(timeLimitMs / 1000.0) +
            QStringLiteral(" s and was stopped.");
    case Kind::Cancelled:
        return commandLine + QStringLiteral(" was cancelled.");
    case Kind::Ran:
        break;
    }
    if (exitCode == 0)
        return commandLine + QStringLiteral(" succeeded.");
    const QString tail = ProcessShell::errorTail(errors);
    const QString last = tail.split(QStringLiteral("\r\n")).value(tail.count(QStringLiteral("\r\n")));
    return commandLine + QStringLiteral(" failed (status ") + QString::number(exitCode) + QStringLiteral(")") +
        (last.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + last);
}

struct ProcessRunner::Run {
    // Windows: the survey's commands (read-only: lsreplica, lsepoch, the
    // script) end with what they started, and with this program.
    ProcessJob job{true};
    QProcess process;
    QTimer hardStop;
    QElapsedTimer clock;
    Done done;
    CommandOutcome outcome;
    bool stopping = false;
};

ProcessRunner::ProcessRunner(QString clearCaseDir, QString perl, QProcessEnvironment environment)
    : m_clearCaseDir(std::move(clearCaseDir)), m_perl(std::move(perl)), m_environment(std::move(environment))
{
    if (!m_clearCaseDir.isEmpty()) {
        const QString path = ClearCaseDiscovery::pathWithFirst(QDir::toNativeSeparators(m_clearCaseDir),
                                                               m_environment.value(QStringLiteral("PATH")));
        m_environment.insert(QStringLiteral("PATH"), path);
        m_searchPaths = path.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    }
}

ProcessRunner::~ProcessRunner()
{
    // Nothing outlives the survey that started it.
    const auto runs = m_runs;
    for (Run *run : runs) {
        run->process.disconnect();
#ifdef Q_OS_UNIX
        if (const qint64 pid = run->process.processId(); pid > 0)
            ::kill(-pid_t(pid), SIGKILL);
#endif
        run->job.terminate();
        run->process.kill();
        run->process.waitForFinished(1000);
        delete run;
    }
}

void ProcessRunner::start(int id, const QueuedCommand &command, Done done)
{
    auto *run = new Run;
    run->done = std::move(done);
    run->clock.start();
    m_runs.insert(id, run);

    const auto finish = [this, id](CommandOutcome::Kind kind) {
        Run *r = m_runs.take(id);
        if (!r)
            return;
        r->outcome.kind = r->outcome.kind == CommandOutcome::Kind::NotStarted ? r->outcome.kind : kind;
        r->outcome.output += r->process.readAllStandardOutput().left(maxOutputBytes);
        r->outcome.errors += r->process.readAllStandardError().left(maxOutputBytes);
        r->outcome.exitCode = r->process.exitCode();
        r->outcome.elapsedMs = r->clock.elapsed();
        r->hardStop.stop();
        Done d = std::move(r->done);
        CommandOutcome o = std::move(r->outcome);
        // The process object may still be inside its own signal.
        QTimer::singleShot(0, [r] { delete r; });
        d(std::move(o));
    };
    const auto notStarted = [run, finish](const QString &why) {
        run->outcome.kind = CommandOutcome::Kind::NotStarted;
        run->outcome.why = why;
        // Done comes from the event loop, as for a run that ended.
        QTimer::singleShot(0, [finish] { finish(CommandOutcome::Kind::NotStarted); });
    };

    QStringList args = CommandLine::split(command.commandLine);
    if (args.isEmpty() || args.first().isEmpty()) {
        notStarted(QStringLiteral("empty command line"));
        return;
    }
    const QString name = args.takeFirst();
    const QString program = programPath(name);
    if (program.isEmpty()) {
        notStarted(QStringLiteral("program not found: ") + name);
        return;
    }
    QProcess &p = run->process;
    p.setProcessEnvironment(m_environment);
    if (!command.workDir.isEmpty())
        p.setWorkingDirectory(command.workDir);
    p.setStandardInputFile(QProcess::nullDevice());
#ifdef Q_OS_UNIX
    p.setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    const auto keep = [run](QByteArray &into, QByteArray more) {
        if (into.size() < maxOutputBytes)
            into += more.left(maxOutputBytes - into.size());
    };
    QObject::connect(&p, &QProcess::readyReadStandardOutput, &p,
                     [run, keep] { keep(run->outcome.output, run->process.readAllStandardOutput()); });
    QObject::connect(&p, &QProcess::readyReadStandardError, &p,
                     [run, keep] { keep(run->outcome.errors, run->process.readAllStandardError()); });
    QObject::connect(&p, &QProcess::finished, &p, [finish](int, QProcess::ExitStatus status) {
        finish(status == QProcess::CrashExit ? CommandOutcome::Kind::Crashed : CommandOutcome::Kind::Ran);
    });
    QObject::connect(&p, &QProcess::errorOccurred, &p, [run, finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            run->outcome.kind = CommandOutcome::Kind::NotStarted;
            run->outcome.why = run->process.errorString();
            finish(CommandOutcome::Kind::NotStarted);
        }
    });
    run->hardStop.setSingleShot(true);
    run->hardStop.setInterval(stopGraceMs);
    QObject::connect(&run->hardStop, &QTimer::timeout, &p, [run] {
#ifdef Q_OS_UNIX
        if (const qint64 pid = run->process.processId(); pid > 0)
            ::kill(-pid_t(pid), SIGKILL);
#endif
        run->job.terminate();
        run->process.kill();
    });
    run->job.prepare(p);
    p.start(program, args);
    if (p.state() != QProcess::NotRunning)
        run->job.adopt();
}

QString ProcessRunner::programPath(const QString &name) const
{
    return name == QLatin1String("ccperl") && !m_perl.isEmpty() ? m_perl
                                                                : ProcessShell::resolveProgram(name, m_searchPaths);
}

void ProcessRunner::stop(int id)
{
    Run *run = m_runs.value(id);
    if (!run || run->stopping)
        return;
    run->stopping = true;
#ifdef Q_OS_UNIX
    if (const qint64 pid = run->process.processId(); pid > 0)
        ::kill(-pid_t(pid), SIGTERM);
#else
    run->job.terminate();
    run->process.kill();
#endif
    run->hardStop.start();
}

CommandQueue::CommandQueue(CommandRunner &runner, Limits limits, QObject *parent)
    : QObject(parent), m_runner(runner), m_limits(limits)
{
    m_limits.inFlight = std::max(1, m_limits.inFlight);
    m_limits.perHost = std::max(1, m_limits.perHost);
    m_limits.timeLimitMs = std::max(1, m_limits.timeLimitMs);
    m_limits.local = std::clamp(m_limits.local, 1, m_limits.inFlight);
}

CommandQueue::~CommandQueue()
{
    for (const Entry &e : std::as_const(m_running))
        delete e.timer;
}

void CommandQueue::add(const QueuedCommand &command, Done done)
{
    if (m_cancelled) {
        CommandOutcome o;
        o.kind = CommandOutcome::Kind::Cancelled;
        QTimer::singleShot(0, this, [done = std::move(done), o] { done(o); });
        return;
    }
    Entry e{m_nextId++, command, std::move(done), nullptr, false};
    if (!command.hosts.isEmpty()) {
        for (const QString &host : command.hosts)
            ++m_hostWork[host.toLower()];
        m_toHosts.append(std::move(e));
    } else {
        m_local[command.priority].append(std::move(e));
        ++m_localCount;
    }
    pump();
}

bool CommandQueue::fits(const QueuedCommand &command) const
{
    for (const QString &host : command.hosts) {
        if (m_perHost.value(host.toLower()) >= m_limits.perHost)
            return false;
    }
    return true;
}

// The host command that fits and whose busiest host has the most work
// left; the first queued of equals. -1: none fits.
qsizetype CommandQueue::nextToHosts() const
{
    qsizetype best = -1;
    int bestWork = 0;
    for (qsizetype i = 0; i < m_toHosts.size(); ++i) {
        const QueuedCommand &c = m_toHosts[i].command;
        if (!fits(c))
            continue;
        int work = 0;
        for (const QString &host : c.hosts)
            work = std::max(work, m_hostWork.value(host.toLower()));
        if (best < 0 || work > bestWork) {
            best = i;
            bestWork = work;
        }
    }
    return best;
}

CommandQueue::Entry CommandQueue::takeLocal()
{
    auto first = m_local.begin();
    Entry e = first->second.takeFirst();
    if (first->second.isEmpty())
        m_local.erase(first);
    --m_localCount;
    return e;
}

void CommandQueue::pump()
{
    if (m_pumping || m_cancelled)
        return;
    m_pumping = true;
    while (m_running.size() < m_limits.inFlight) {
        Entry e;
        if (const qsizetype i = nextToHosts(); i >= 0)
            e = m_toHosts.takeAt(i);
        else if (m_localCount > 0 && m_runningLocal < m_limits.local)
            e = takeLocal();
        else
            break;
        for (const QString &host : e.command.hosts)
            ++m_perHost[host.toLower()];
        if (e.command.hosts.isEmpty())
            ++m_runningLocal;
        const int id = e.id;
        e.timer = new QTimer(this);
        e.timer->setSingleShot(true);
        connect(e.timer, &QTimer::timeout, this, [this, id] {
            if (auto it = m_running.find(id); it != m_running.end()) {
                it->timedOut = true;
                m_runner.stop(id);
            }
        });
        e.timer->start(m_limits.timeLimitMs);
        const QueuedCommand command = e.command;
        m_running.insert(id, std::move(e));
        m_runner.start(id, command, [this, id](CommandOutcome o) { finished(id, std::move(o)); });
    }
    m_pumping = false;
}

void CommandQueue::finished(int id, CommandOutcome outcome)
{
    auto it = m_running.find(id);
    if (it == m_running.end())
        return;
    Entry e = std::move(*it);
    m_running.erase(it);
    delete e.timer;
    if (e.command.hosts.isEmpty())
        --m_runningLocal;
    for (const QString &host : e.command.hosts) {
        if (--m_perHost[host.toLower()] <= 0)
            m_perHost.remove(host.toLower());
        if (--m_hostWork[host.toLower()] <= 0)
            m_hostWork.remove(host.toLower());
    }
    if (m_cancelled)
        outcome.kind = CommandOutcome::Kind::Cancelled;
    else if (e.timedOut)
        outcome.kind = CommandOutcome::Kind::TimedOut;
    // What the caller queues on hearing of the end is weighed with the rest
    // before anything starts, so a follow-up of higher priority goes first.
    const bool pumping = std::exchange(m_pumping, true);
    e.done(outcome);
    m_pumping = pumping;
    pump();
    if (m_running.isEmpty() && waiting() == 0)
        emit idle();
}

void CommandQueue::cancel()
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    QList<Entry> dropped = std::exchange(m_toHosts, {});
    for (auto &[priority, entries] : m_local)
        dropped += std::move(entries);
    m_local.clear();
    m_localCount = 0;
    for (const Entry &e : std::as_const(dropped)) {
        CommandOutcome o;
        o.kind = CommandOutcome::Kind::Cancelled;
        e.done(o);
    }
    const QList<int> ids = m_running.keys();
    for (int id : ids)
        m_runner.stop(id);
    if (m_running.isEmpty())
        emit idle();
}

} // namespace quorvane
