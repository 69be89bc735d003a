#pragma once

#include "ccase/Shell.h"

#include <QStringList>

#include <functional>

namespace quorvane::test {

// Records command lines; an optional action stands in for the process.
class FakeShell final : public Shell {
public:
    void ShellAndWait(const QString &commandLine, int windowStyle) override
    {
        lines << commandLine;
        styles << windowStyle;
        if (action)
            action(commandLine);
    }

    QStringList lines;
    QList<int> styles;
    std::function<void(const QString &)> action;
};

} // namespace quorvane::test
