#pragma once

#include "ccase/Shell.h"

#include <QStringList>

#include <functional>

namespace quorvane::test {

// Records command lines; an optional action stands in for the process, and
// `result` (or `respond`, when set) says how the run ended.
class FakeShell final : public Shell {
public:
    ShellResult ShellAndWait(const QString &commandLine, int windowStyle) override
    {
        lines << commandLine;
        styles << windowStyle;
        if (action)
            action(commandLine);
        return respond ? respond(commandLine) : result;
    }

    QStringList lines;
    QList<int> styles;
    std::function<void(const QString &)> action;
    ShellResult result;
    std::function<ShellResult(const QString &)> respond;
};

} // namespace quorvane::test
