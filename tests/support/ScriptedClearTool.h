#pragma once

#include "ccase/ClearCaseError.h"
#include "ccase/ClearTool.h"

#include <QHash>
#include <QStringList>

#include <functional>

namespace quorvane::test {

// Answers cleartool subcommands from a table; records what was sent.
// A command without an entry fails like ClearCase does for an unknown one.
class ScriptedClearTool final : public ClearTool {
public:
    QString CmdExec(const QString &subcommand) override
    {
        commands << subcommand;
        if (hook)
            hook(subcommand);
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

    QHash<QString, QString> outputs;
    QHash<QString, QString> failures;
    QStringList tags;
    QString vobTagsError;
    QStringList commands;
    std::function<void(const QString &)> hook;
};

} // namespace quorvane::test
