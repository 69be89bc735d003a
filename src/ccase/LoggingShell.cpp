#include "ccase/LoggingShell.h"

#include "ccase/CommandLog.h"

namespace quorvane {

LoggingShell::LoggingShell(Shell &inner, CommandLog &log) : m_inner(inner), m_log(log)
{
}

void LoggingShell::cancel()
{
    m_inner.cancel();
}

void LoggingShell::endWaits()
{
    m_inner.endWaits();
}

void LoggingShell::setWaitObserver(WaitObserver observer)
{
    m_inner.setWaitObserver(std::move(observer));
}

QString LoggingShell::outcomeText(const ShellResult &result)
{
    switch (result.outcome) {
    case ShellResult::Outcome::Ran:
        return QStringLiteral("exit ") + QString::number(result.exitCode);
    case ShellResult::Outcome::NotStarted:
        return QStringLiteral("not started");
    case ShellResult::Outcome::Crashed:
        return QStringLiteral("ended abnormally");
    case ShellResult::Outcome::Cancelled:
        return QStringLiteral("cancelled");
    case ShellResult::Outcome::LeftRunning:
        return QStringLiteral("left running as process ") + QString::number(result.processId);
    }
    return {};
}

ShellResult LoggingShell::ShellAndWait(const QString &commandLine, int windowStyle)
{
    return logged(commandLine, false, [&] { return m_inner.ShellAndWait(commandLine, windowStyle); });
}

ShellResult LoggingShell::ShellAndRead(const QString &commandLine)
{
    return logged(commandLine, true, [&] { return m_inner.ShellAndRead(commandLine); });
}

template <class Run>
ShellResult LoggingShell::logged(const QString &commandLine, bool readsOutput, Run &&run)
{
    CommandLogEntry entry;
    entry.kind = CommandLogEntry::Kind::Process;
    entry.command = commandLine;
    entry.started = QDateTime::currentDateTimeUtc();
    // The entry is written even when the wait ends by an error, so the log
    // never hides a process that was started.
    struct Writer {
        CommandLog &log;
        CommandLogEntry &entry;
        bool done = false;
        ~Writer()
        {
            if (!done) {
                entry.ok = false;
                entry.outcome = QStringLiteral("no result (the wait ended by an error)");
                log.add(std::move(entry));
            }
        }
    } writer{m_log, entry};
    const ShellResult result = run();
    writer.done = true;
    entry.elapsedMs = result.elapsedMs;
    entry.ok = result.succeeded();
    entry.outcome = outcomeText(result);
    entry.errorText = result.errorTail;
    // Hidden processes write their standard output nowhere; only the tail of
    // their error output comes back.
    entry.output = readsOutput ? result.output
                               : QStringLiteral("(not read: the program runs hidden; see its error text)");
    m_log.add(std::move(entry));
    return result;
}

} // namespace quorvane
