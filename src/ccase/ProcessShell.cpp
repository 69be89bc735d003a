#include "ccase/ProcessShell.h"

#include "ccase/ClearCaseDiscovery.h"
#include "ccase/CommandLine.h"
#include "ui/ErrorBoxes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTimer>

#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace quorvane {

ProcessShell::ProcessShell(Dialogs &dialogs, QString workDir, QString firstOnPath, QString perl)
    : m_dialogs(dialogs), m_workDir(std::move(workDir)), m_firstOnPath(std::move(firstOnPath)),
      m_perl(std::move(perl))
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
    ShellResult result;
    QElapsedTimer clock;
    clock.start();
    auto notStarted = [&result, &clock](const QString &why) {
        result.outcome = ShellResult::Outcome::NotStarted;
        result.errorTail = why;
        result.elapsedMs = clock.elapsed();
        return result;
    };
    QStringList args = CommandLine::split(commandLine);
    if (args.isEmpty() || args.first().isEmpty()) {
        const QString why = QStringLiteral("Empty command line");
        showBox(m_dialogs, ErrorBoxes::process(why, commandLine));
        return notStarted(why);
    }
    if (m_workDir.isEmpty()) {
        showBox(m_dialogs, ErrorBoxes::process(noWorkDirText(), commandLine));
        return notStarted(noWorkDirText());
    }
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
    if (program.isEmpty()) {
        const QString why = QStringLiteral("Program not found: ") + name;
        showBox(m_dialogs, ErrorBoxes::process(why, commandLine));
        return notStarted(why);
    }

    QProcess process;
    process.setWorkingDirectory(m_workDir);
    process.setProcessEnvironment(environment);
    // Hidden and unattended: nothing reads the output, and a program that
    // asks a question gets end of input instead of waiting forever. What it
    // says on its error stream is kept (bounded) to explain a failure.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    QByteArray errors;
    QObject::connect(&process, &QProcess::readyReadStandardError, &process, [&process, &errors] {
        errors += process.readAllStandardError();
        if (errors.size() > maxErrorBytes)
            errors = errors.right(maxErrorBytes);
    });

    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop, &process](QProcess::ProcessError) {
        if (process.state() == QProcess::NotRunning)
            loop.quit();
    });
#ifdef Q_OS_UNIX
    // Its own process group: Cancel can then reach what it starts (the
    // script's cleartool and multitool), not only the process itself.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    process.start(program, args);
    if (!process.waitForStarted()) {
        showBox(m_dialogs, ErrorBoxes::process(process.errorString(), commandLine));
        return notStarted(process.errorString());
    }

    const qint64 pid = process.processId();
    auto stop = [&process, pid](bool hard) {
#ifdef Q_OS_UNIX
        if (pid > 0)
            ::kill(-pid_t(pid), hard ? SIGKILL : SIGTERM);
#else
        Q_UNUSED(pid)
        if (hard || process.state() != QProcess::NotRunning)
            process.kill();
#endif
        Q_UNUSED(process)
    };
    bool cancelled = false;
    QTimer hardStop;
    hardStop.setSingleShot(true);
    hardStop.setInterval(cancelGraceMs);
    QObject::connect(&hardStop, &QTimer::timeout, &process, [&stop] { stop(true); });
    std::function<void()> outerCancel = std::exchange(m_cancel, [&] {
        if (std::exchange(cancelled, true))
            return;
        stop(false);
        hardStop.start();
    });
    waiting(true, commandLine);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    waiting(false, commandLine);
    m_cancel = std::move(outerCancel);
    if (cancelled)
        awaitGroupEnd(pid, hardStop, stop);

    errors += process.readAllStandardError();
    result.elapsedMs = clock.elapsed();
    result.errorTail = errorTail(errors);
    if (cancelled)
        result.outcome = ShellResult::Outcome::Cancelled;
    else if (process.exitStatus() == QProcess::CrashExit)
        result.outcome = ShellResult::Outcome::Crashed;
    else
        result.exitCode = process.exitCode();
    // The caller says what a stopped command means for its action.
    if (cancelled)
        return result;

    // A multitool change that failed must not pass for one that worked: the
    // administrator would otherwise read an unchanged matrix as success. The
    // replica script's failures need no box of their own: its results files
    // are missing then, and that is reported where they are read.
    if (!reportsFailure(name))
        return result;
    if (result.outcome == ShellResult::Outcome::Crashed) {
        showBox(m_dialogs, ErrorBoxes::processFailed(QStringLiteral("The program ended abnormally."), commandLine));
    } else if (result.exitCode != 0) {
        showBox(m_dialogs, ErrorBoxes::processFailed(failureText(errors, result.exitCode), commandLine));
    }
    return result;
}

void ProcessShell::cancel()
{
    if (m_cancel)
        m_cancel();
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
