#include "ccase/ProcessShell.h"

#include "ccase/CommandLine.h"
#include "ui/ErrorBoxes.h"

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

void ProcessShell::ShellAndWait(const QString &commandLine, int windowStyle)
{
    Q_UNUSED(windowStyle)
    QStringList args = CommandLine::split(commandLine);
    if (args.isEmpty() || args.first().isEmpty()) {
        showBox(m_dialogs, ErrorBoxes::process(QStringLiteral("Empty command line"), commandLine));
        return;
    }
    const QString name = args.takeFirst();
    const QString program = resolveProgram(name);
    if (program.isEmpty()) {
        showBox(m_dialogs, ErrorBoxes::process(QStringLiteral("Program not found: ") + name, commandLine));
        return;
    }

    QProcess process;
    process.setWorkingDirectory(m_workDir);
    // Hidden and unattended: nothing reads the output, and a program that
    // asks a question gets end of input instead of waiting forever.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());

    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop, &process](QProcess::ProcessError) {
        if (process.state() == QProcess::NotRunning)
            loop.quit();
    });
    process.start(program, args);
    if (!process.waitForStarted()) {
        showBox(m_dialogs, ErrorBoxes::process(process.errorString(), commandLine));
        return;
    }
    if (process.state() != QProcess::NotRunning)
        loop.exec();
}

} // namespace quorvane
