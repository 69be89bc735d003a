#pragma once

#include "ccase/Shell.h"

namespace quorvane {

class Dialogs;

// Shows the box a run owes the user (ShellResult::box) around whichever
// shell runs it: the process box for a command that could not start, the
// failure box for a multitool that failed. The shell itself only reports,
// so what it reports can be tested without a window. ShellAndRead shows
// nothing: its caller says what a missing answer means.
class ReportingShell final : public Shell {
public:
    ReportingShell(Shell &inner, Dialogs &dialogs);

    ShellResult ShellAndWait(const QString &commandLine, int windowStyle) override;
    ShellResult ShellAndRead(const QString &commandLine) override;
    // Cancel and the wait's observer belong to the shell that runs the process.
    void cancel() override;
    void endWaits() override;
    void setWaitObserver(WaitObserver observer) override;

private:
    Shell &m_inner;
    Dialogs &m_dialogs;
};

} // namespace quorvane
