#pragma once

#include "ccase/Shell.h"

#include <QStringList>

#include <functional>
#include <utility>

namespace quorvane::test {

// Records command lines; an optional action stands in for the process, and
// `result` (or `respond`, when set) says how the run ended. A cancel() during
// the action (the stand-in's wait) makes the run end Cancelled.
class FakeShell final : public Shell {
public:
    ShellResult ShellAndWait(const QString &commandLine, int windowStyle) override
    {
        lines << commandLine;
        styles << windowStyle;
        const bool outer = !m_running;
        m_running = true;
        m_cancelled = false;
        waiting(true, commandLine);
        if (action)
            action(commandLine);
        waiting(false, commandLine);
        m_running = !outer;
        if (std::exchange(m_cancelled, false)) {
            ShellResult stopped;
            stopped.outcome = ShellResult::Outcome::Cancelled;
            return stopped;
        }
        return respond ? respond(commandLine) : result;
    }

    // A read runs as a wait does.
    ShellResult ShellAndRead(const QString &commandLine) override
    {
        reads << commandLine;
        return ShellAndWait(commandLine, 0);
    }

    void cancel() override
    {
        ++cancels;
        m_cancelled = m_running;
    }

    QStringList lines;
    QStringList reads; // the lines run through ShellAndRead (also in `lines`)
    QList<int> styles;
    std::function<void(const QString &)> action;
    ShellResult result;
    std::function<ShellResult(const QString &)> respond;
    int cancels = 0;

private:
    bool m_running = false;
    bool m_cancelled = false;
};

} // namespace quorvane::test
