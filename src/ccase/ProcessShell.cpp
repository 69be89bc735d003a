#include "ccase/ProcessShell.h"

#include "ccase/ClearCaseDiscovery.h"
#include "ccase/CommandLine.h"
#include "ccase/ProcessJob.h"
#include "common/ErrorBoxes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace quorvane {

namespace {

// The processes left to finish as the program ends. A QProcess ends its
// process when destroyed, so these are not destroyed while they run; each
// goes once it has ended. Never freed itself, the list keeps them reachable
// to the very end.
QList<QProcess *> *const s_leftRunning = new QList<QProcess *>;

void leaveRunning(std::unique_ptr<QProcess> owned)
{
    QProcess *process = owned.release();
    // What was connected belongs to the wait that is over.
    QObject::disconnect(process, nullptr, nullptr, nullptr);
    s_leftRunning->append(process);
    QObject::connect(process, &QProcess::finished, process, [process] {
        s_leftRunning->removeOne(process);
        process->deleteLater();
    });
}

#ifdef Q_OS_UNIX
// The process groups of the scripts being waited for. Qt ends the program
// with exit() when the display goes away, without unwinding to the wait
// that would end them; they are ended at exit instead, with what they
// started. (A multitool is not: it finishes on its own.)
QList<qint64> *const s_groupsEndedAtExit = new QList<qint64>;

void endGroupsAtExit()
{
    for (const qint64 group : std::as_const(*s_groupsEndedAtExit))
        ::kill(-pid_t(group), SIGTERM);
    // A short grace, then what is left goes for good.
    for (int tick = 0; tick < 20; ++tick) {
        const bool left = std::any_of(s_groupsEndedAtExit->cbegin(), s_groupsEndedAtExit->cend(),
                                      [](qint64 group) { return ::kill(-pid_t(group), 0) == 0; });
        if (!left)
            return;
        ::usleep(50 * 1000);
    }
    for (const qint64 group : std::as_const(*s_groupsEndedAtExit))
        ::kill(-pid_t(group), SIGKILL);
}

// Registers the group for the time of the wait.
class EndedAtExit final {
public:
    explicit EndedAtExit(qint64 group) : m_group(group)
    {
        static const bool registered = std::atexit(endGroupsAtExit) == 0;
        Q_UNUSED(registered)
        s_groupsEndedAtExit->append(m_group);
    }
    ~EndedAtExit() { s_groupsEndedAtExit->removeOne(m_group); }
    Q_DISABLE_COPY_MOVE(EndedAtExit)

private:
    qint64 m_group;
};
#endif

} // namespace

ProcessShell::ProcessShell(QString workDir, QString firstOnPath, QString perl)
    : m_workDir(std::move(workDir)), m_firstOnPath(std::move(firstOnPath)), m_perl(std::move(perl))
{
}

QString ProcessShell::resolveProgram(const QString &name, const QStringList &searchPaths)
{
    if (name.isEmpty())
        return {};
    if (name.contains(QLatin1Char('/'))) {
        const QFileInfo info(name);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    QStringList candidates{name};
    if (name == QLatin1String("ccperl"))
        candidates << QStringLiteral("ratlperl") << QStringLiteral("perl");
    for (const QString &candidate : candidates) {
        const QString found = QStandardPaths::findExecutable(candidate, searchPaths);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

ShellResult ProcessShell::ShellAndWait(const QString &commandLine, int windowStyle)
{
    Q_UNUSED(windowStyle)
    return run(commandLine, false);
}

ShellResult ProcessShell::ShellAndRead(const QString &commandLine)
{
    return run(commandLine, true);
}

ShellResult ProcessShell::run(const QString &commandLine, bool readOutput)
{
    ShellResult result;
    QElapsedTimer clock;
    clock.start();
    auto notStarted = [&result, &clock, readOutput](const QString &why, bool owesBox = true) {
        result.outcome = ShellResult::Outcome::NotStarted;
        result.errorTail = why;
        result.elapsedMs = clock.elapsed();
        if (owesBox && !readOutput) {
            result.box = ShellResult::Box::NotStarted;
            result.boxReason = why;
        }
        return result;
    };
    // Nothing new starts once the program has stopped waiting as it ends;
    // no one may be there to read a box about it.
    if (m_ending)
        return notStarted(QStringLiteral("Not started: the program is ending."), false);
    QStringList args = CommandLine::split(commandLine);
    if (args.isEmpty() || args.first().isEmpty())
        return notStarted(QStringLiteral("Empty command line"));
    if (m_workDir.isEmpty())
        return notStarted(noWorkDirText());
    const QString name = args.takeFirst();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QStringList searchPaths;
    if (!m_firstOnPath.isEmpty()) {
        const QString path = ClearCaseDiscovery::pathWithFirst(QDir::toNativeSeparators(m_firstOnPath),
                                                               environment.value(QStringLiteral("PATH")));
        environment.insert(QStringLiteral("PATH"), path);
        searchPaths = path.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    }
    const QString program = name == QLatin1String("ccperl") && !m_perl.isEmpty() ? m_perl
                                                                                  : resolveProgram(name, searchPaths);
    if (program.isEmpty())
        return notStarted(QStringLiteral("Program not found: ") + name);

    auto owned = std::make_unique<QProcess>();
    QProcess &process = *owned;
    process.setWorkingDirectory(m_workDir);
    process.setProcessEnvironment(environment);
    // Hidden and unattended: the output is read only for a listing, and a
    // program that asks a question gets end of input instead of waiting forever. What it
    // says on its error stream is kept (bounded) to explain a failure.
    process.setStandardInputFile(QProcess::nullDevice());
    if (!readOutput)
        process.setStandardOutputFile(QProcess::nullDevice());
    QByteArray errors;
    QByteArray output;
    bool outputCut = false;
    QObject::connect(&process, &QProcess::readyReadStandardError, &process, [&process, &errors] {
        errors += process.readAllStandardError();
        if (errors.size() > maxErrorBytes)
            errors = errors.right(maxErrorBytes);
    });

    if (readOutput) {
        // A listing larger than any bay holds is not read on without end.
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [&process, &output, &outputCut] {
            output += process.readAllStandardOutput();
            if (output.size() > maxOutputBytes && !outputCut) {
                outputCut = true;
                output.truncate(maxOutputBytes);
                process.kill();
            }
        });
    }

    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop, &process](QProcess::ProcessError) {
        if (process.state() == QProcess::NotRunning)
            loop.quit();
    });
    const bool finishesAlone = finishesOnItsOwn(name);
#ifdef Q_OS_UNIX
    process.setChildProcessModifier([finishesAlone] {
        // Its own process group: Cancel can then reach what it starts (the
        // script's cleartool and multitool), not only the process itself;
        // and a Ctrl+C or a closed terminal, sent to the program's group,
        // does not reach it.
        ::setpgid(0, 0);
        // One left to finish when the program ends would otherwise die of
        // its first error line, written to a pipe that no one reads.
        if (finishesAlone)
            ::signal(SIGPIPE, SIG_IGN);
    });
#endif
    // Windows: the tree's job; the script's ends with this program however
    // it ends, as its process group is ended at exit on UNIX.
    ProcessJob job(!finishesAlone);
    job.prepare(process);
    process.start(program, args);
    if (!process.waitForStarted())
        return notStarted(process.errorString());
    job.adopt();

    const qint64 pid = process.processId();
    result.processId = pid;
#ifdef Q_OS_UNIX
    std::optional<EndedAtExit> endedAtExit;
    if (!finishesAlone && pid > 0)
        endedAtExit.emplace(pid);
#endif
    auto stop = [&process, &job, pid](bool hard) {
#ifdef Q_OS_UNIX
        Q_UNUSED(job)
        if (pid > 0)
            ::kill(-pid_t(pid), hard ? SIGKILL : SIGTERM);
#else
        Q_UNUSED(pid)
        Q_UNUSED(hard)
        job.terminate();
        if (process.state() != QProcess::NotRunning)
            process.kill();
#endif
        Q_UNUSED(process)
    };
    bool cancelled = false;
    QTimer hardStop;
    hardStop.setSingleShot(true);
    hardStop.setInterval(cancelGraceMs);
    QObject::connect(&hardStop, &QTimer::timeout, &process, [&stop] { stop(true); });
    const auto cancelRun = [&] {
        if (std::exchange(cancelled, true))
            return;
        stop(false);
        hardStop.start();
    };
    std::function<void()> outerCancel = std::exchange(m_cancel, cancelRun);
    std::function<void()> outerStopWaiting = std::exchange(m_stopWaiting, [&] {
        if (finishesAlone)
            loop.quit();
        else
            cancelRun();
    });
    waiting(true, commandLine);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    waiting(false, commandLine);
    m_cancel = std::move(outerCancel);
    m_stopWaiting = std::move(outerStopWaiting);

    // The wait is over and the process still runs: the program is ending,
    // by endWaits() or because every event loop is being left.
    if (!cancelled && process.state() != QProcess::NotRunning) {
        m_ending = true;
        if (finishesAlone) {
            result.outcome = ShellResult::Outcome::LeftRunning;
            result.elapsedMs = clock.elapsed();
            result.errorTail = errorTail(errors);
            leaveRunning(std::move(owned));
            return result;
        }
        // Without event loops only a blocking wait is left for its grace.
        cancelRun();
        process.waitForFinished(cancelGraceMs);
    }
    if (cancelled)
        awaitGroupEnd(pid, hardStop, stop);

    errors += process.readAllStandardError();
    if (readOutput && !outputCut) {
        output += process.readAllStandardOutput();
        if (output.size() > maxOutputBytes) {
            outputCut = true;
            output.truncate(maxOutputBytes);
        }
    }
    result.output = QString::fromLocal8Bit(output);
    result.elapsedMs = clock.elapsed();
    result.errorTail = errorTail(errors);
    if (outputCut)
        result.errorTail = QStringLiteral("Its output passed %1 MB and was not read further.")
                               .arg(maxOutputBytes / (1024 * 1024));
    if (cancelled)
        result.outcome = ShellResult::Outcome::Cancelled;
    else if (process.exitStatus() == QProcess::CrashExit)
        result.outcome = ShellResult::Outcome::Crashed;
    else if (outputCut)
        result.outcome = ShellResult::Outcome::Crashed;
    else
        result.exitCode = process.exitCode();
    // The caller says what a stopped command means for its action, and
    // what a read that failed leaves unknown.
    if (cancelled || readOutput)
        return result;

    // A multitool change that failed must not pass for one that worked: the
    // administrator would otherwise read an unchanged matrix as success. The
    // replica script's failures need no box of their own: its results files
    // are missing then, and that is reported where they are read.
    if (!reportsFailure(name))
        return result;
    if (result.outcome == ShellResult::Outcome::Crashed) {
        result.box = ShellResult::Box::Failed;
        result.boxReason = QStringLiteral("The program ended abnormally.");
    } else if (result.exitCode != 0) {
        result.box = ShellResult::Box::Failed;
        result.boxReason = failureText(errors, result.exitCode);
    }
    return result;
}

void ProcessShell::cancel()
{
    if (m_cancel)
        m_cancel();
}

void ProcessShell::endWaits()
{
    m_ending = true;
    if (m_stopWaiting)
        m_stopWaiting();
}

bool ProcessShell::finishesOnItsOwn(const QString &programName)
{
    return QFileInfo(programName).baseName() == QLatin1String("multitool");
}

void ProcessShell::awaitGroupEnd(qint64 pid, QTimer &hardStop, const std::function<void(bool)> &stop)
{
#ifdef Q_OS_UNIX
    // The process itself has ended; what it started gets the rest of the
    // grace to end on its own, then is killed.
    const auto groupAlive = [pid] { return pid > 0 && (::kill(-pid_t(pid), 0) == 0 || errno == EPERM); };
    if (groupAlive() && hardStop.isActive()) {
        QEventLoop grace;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &grace, [&grace, &groupAlive] {
            if (!groupAlive())
                grace.quit();
        });
        QObject::connect(&hardStop, &QTimer::timeout, &grace, &QEventLoop::quit);
        poll.start(50);
        grace.exec();
    }
    if (groupAlive())
        stop(true);
#else
    Q_UNUSED(pid)
    Q_UNUSED(hardStop)
    stop(true);
#endif
}

QString ProcessShell::noWorkDirText()
{
    return QStringLiteral("No private work directory could be made in ") + QDir::toNativeSeparators(QDir::tempPath())
        + QStringLiteral(", so nothing was started. Make room or allow writing there, then start the program again.");
}

bool ProcessShell::reportsFailure(const QString &programName)
{
    return QFileInfo(programName).baseName() == QLatin1String("multitool");
}

QString ProcessShell::errorTail(const QByteArray &errorOutput)
{
    QStringList lines = QString::fromLocal8Bit(errorOutput).split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    // The last lines say what went wrong; a long report would not fit a box.
    if (lines.size() > maxErrorLines)
        lines = lines.mid(lines.size() - maxErrorLines);
    return lines.join(CrLf);
}

QString ProcessShell::failureText(const QByteArray &errorOutput, int exitCode)
{
    const QString tail = errorTail(errorOutput);
    if (tail.isEmpty())
        return QStringLiteral("The command ended with status ") + QString::number(exitCode) + QLatin1Char('.');
    return tail;
}

} // namespace quorvane
