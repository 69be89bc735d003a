#include "ccase/LoggingClearTool.h"

#include "ccase/CommandLog.h"
#include "ui/QuorvaneError.h"

#include <QElapsedTimer>

namespace quorvane {

namespace {

// Times `run`, logs how it ended and hands its result or its error on.
template <typename Run, typename Describe>
auto logged(CommandLog &log, const QString &command, Run run, Describe describe) -> decltype(run())
{
    CommandLogEntry entry;
    entry.kind = CommandLogEntry::Kind::ClearTool;
    entry.command = QStringLiteral("cleartool ") + command;
    entry.started = QDateTime::currentDateTimeUtc();
    QElapsedTimer timer;
    timer.start();
    try {
        auto result = run();
        entry.elapsedMs = timer.elapsed();
        entry.outcome = QStringLiteral("status 0");
        entry.output = describe(result);
        log.add(std::move(entry));
        return result;
    } catch (const QuorvaneError &e) {
        entry.elapsedMs = timer.elapsed();
        entry.ok = false;
        entry.outcome = QStringLiteral("failed: ") + e.description().section(QLatin1Char('\n'), 0, 0);
        entry.errorText = e.description();
        log.add(std::move(entry));
        throw;
    }
}

} // namespace

LoggingClearTool::LoggingClearTool(ClearTool &inner, CommandLog &log) : m_inner(inner), m_log(log)
{
}

QString LoggingClearTool::CmdExec(const QString &subcommand)
{
    return logged(
        m_log, subcommand, [&] { return m_inner.CmdExec(subcommand); },
        [](const QString &output) { return output; });
}

QStringList LoggingClearTool::vobTags()
{
    return logged(
        m_log, QStringLiteral("lsvob -short"), [&] { return m_inner.vobTags(); },
        [](const QStringList &tags) { return tags.join(QLatin1Char('\n')); });
}

} // namespace quorvane
