#pragma once

#include "ccase/ClearCaseError.h"
#include "ccase/ClearTool.h"

#include <QHash>
#include <QStringList>

#include <functional>
#include <utility>

namespace quorvane::test {

// Answers cleartool subcommands from a table; records what was sent.
// A command without an entry fails like ClearCase does for an unknown one.
// A command in `slow` is waited for as a slow reply is: the observer is told
// around the hook, and a cancel() meanwhile makes it fail as cancelled.
class ScriptedClearTool final : public ClearTool {
public:
    QString CmdExec(const QString &subcommand) override
    {
        commands << subcommand;
        const bool waited = slow.contains(subcommand);
        m_cancelled = false;
        m_waiting = waited;
        if (waited)
            waiting(true, QStringLiteral("cleartool ") + subcommand);
        if (hook)
            hook(subcommand);
        if (waited)
            waiting(false, QStringLiteral("cleartool ") + subcommand);
        m_waiting = false;
        if (std::exchange(m_cancelled, false))
            throw ClearCaseCancelled(QStringLiteral("cleartool ") + subcommand);
        if (failures.contains(subcommand))
            throw ClearCaseError(failures.value(subcommand));
        if (outputs.contains(subcommand))
            return outputs.value(subcommand);
        throw ClearCaseError(QStringLiteral("cleartool: Error: Unrecognized command: ") + subcommand);
    }

    QStringList vobTags() override
    {
        commands << QStringLiteral("<vobTags>");
        if (!vobTagsError.isEmpty())
            throw ClearCaseError(vobTagsError);
        return tags;
    }

    void cancel() override
    {
        ++cancels;
        m_cancelled = m_waiting;
    }

    QHash<QString, QString> outputs;
    QHash<QString, QString> failures;
    QStringList tags;
    QString vobTagsError;
    QStringList commands;
    std::function<void(const QString &)> hook;
    QStringList slow;
    int cancels = 0;

private:
    bool m_waiting = false;
    bool m_cancelled = false;
};

} // namespace quorvane::test
