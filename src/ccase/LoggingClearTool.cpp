#include "ccase/LoggingClearTool.h"

#include "ccase/CommandLog.h"
#include "common/QuorvaneError.h"

#include <QElapsedTimer>

namespace quorvane {

namespace {

// Times `run`, logs how it ended (with the client's note on it) and hands
// its result or its error on.
template <typename Run, typename Describe>
auto logged(CommandLog &log, const ClearTool &client, const QString &command, Run run, Describe describe)
    -> decltype(run())
{
    CommandLogEntry entry;
    entry.kind = CommandLogEntry::Kind::ClearTool;
    entry.command = QStringLiteral("cleartool ") + command;
    entry.started = QDateTime::currentDateTimeUtc();
    QElapsedTimer timer;
    timer.start();
    const auto noted = [&client](CommandLogEntry &done) {
        const QString note = client.lastCommandNote();
        if (note.isEmpty())
            return;
        done.outcome += QStringLiteral(" (see note)");
        done.errorText += (done.errorText.isEmpty() ? QString() : QStringLiteral("\n")) +
                          QStringLiteral("Note: ") + note;
    };
    try {
        auto result = run();
        entry.elapsedMs = timer.elapsed();
        entry.outcome = QStringLiteral("status 0");
        entry.output = describe(result);
        noted(entry);
        log.add(std::move(entry));
        return result;
    } catch (const QuorvaneError &e) {
        entry.elapsedMs = timer.elapsed();
        entry.ok = false;
        entry.outcome = e.number() == ErrNo::UserInterrupt
                            ? QStringLiteral("cancelled")
                            : QStringLiteral("failed: ") + e.description().section(QLatin1Char('\n'), 0, 0);
        entry.errorText = e.description();
        noted(entry);
        log.add(std::move(entry));
        throw;
    }
}

} // namespace

LoggingClearTool::LoggingClearTool(ClearTool &inner, CommandLog &log) : m_inner(inner), m_log(log)
{
}

void LoggingClearTool::cancel()
{
    m_inner.cancel();
}

void LoggingClearTool::setWaitObserver(WaitObserver observer)
{
    m_inner.setWaitObserver(std::move(observer));
}

QString LoggingClearTool::lastCommandNote() const
{
    return m_inner.lastCommandNote();
}

QString LoggingClearTool::CmdExec(const QString &subcommand)
{
    return logged(
        m_log, m_inner, subcommand, [&] { return m_inner.CmdExec(subcommand); },
        [](const QString &output) { return output; });
}

QStringList LoggingClearTool::vobTags()
{
    return logged(
        m_log, m_inner, QStringLiteral("lsvob -short"), [&] { return m_inner.vobTags(); },
        [](const QStringList &tags) { return tags.join(QLatin1Char('\n')); });
}

} // namespace quorvane
