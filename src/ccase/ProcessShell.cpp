#include "ccase/ProcessShell.h"

#include "ccase/CommandLine.h"
#include "ui/ErrorBoxes.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace quorvane {

ProcessShell::ProcessShell(Dialogs &dialogs, QString workDir)
    : m_dialogs(dialogs), m_workDir(std::move(workDir))
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
    const QString name = args.takeFirst();
    const QString program = resolveProgram(name);
    if (program.isEmpty()) {
        const QString why = QStringLiteral("Program not found: ") + name;
        showBox(m_dialogs, ErrorBoxes::process(why, commandLine));
        return notStarted(why);
    }

    QProcess process;
    process.setWorkingDirectory(m_workDir);
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
    process.start(program, args);
    if (!process.waitForStarted()) {
        showBox(m_dialogs, ErrorBoxes::process(process.errorString(), commandLine));
        return notStarted(process.errorString());
    }
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    errors += process.readAllStandardError();
    result.elapsedMs = clock.elapsed();
    result.errorTail = errorTail(errors);
    if (process.exitStatus() == QProcess::CrashExit)
        result.outcome = ShellResult::Outcome::Crashed;
    else
        result.exitCode = process.exitCode();

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
