#pragma once

#include "ccase/Shell.h"

namespace quorvane {

class CommandLog;

// Puts every process started through ShellAndWait into the command log
// with how it ended, around whichever shell starts it; the caller gets the
// result unchanged.
class LoggingShell final : public Shell {
public:
    LoggingShell(Shell &inner, CommandLog &log);

    ShellResult ShellAndWait(const QString &commandLine, int windowStyle) override;
    ShellResult ShellAndRead(const QString &commandLine) override;
    // Cancel and the wait's observer belong to the shell that runs the process.
    void cancel() override;
    void endWaits() override;
    void setWaitObserver(WaitObserver observer) override;

    // How a run ended, in the words the log and the fix frame use.
    [[nodiscard]] static QString outcomeText(const ShellResult &result);

private:
    template <class Run>
    ShellResult logged(const QString &commandLine, bool readsOutput, Run &&run);

    Shell &m_inner;
    CommandLog &m_log;
};

} // namespace quorvane
