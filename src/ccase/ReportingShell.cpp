#include "ccase/ReportingShell.h"

#include "common/ErrorBoxes.h"

namespace quorvane {

ReportingShell::ReportingShell(Shell &inner, Dialogs &dialogs) : m_inner(inner), m_dialogs(dialogs)
{
}

ShellResult ReportingShell::ShellAndWait(const QString &commandLine, int windowStyle)
{
    const ShellResult result = m_inner.ShellAndWait(commandLine, windowStyle);
    switch (result.box) {
    case ShellResult::Box::None:
        break;
    case ShellResult::Box::NotStarted:
        showBox(m_dialogs, ErrorBoxes::process(result.boxReason, commandLine));
        break;
    case ShellResult::Box::Failed:
        showBox(m_dialogs, ErrorBoxes::processFailed(result.boxReason, commandLine));
        break;
    }
    return result;
}

ShellResult ReportingShell::ShellAndRead(const QString &commandLine)
{
    return m_inner.ShellAndRead(commandLine);
}

void ReportingShell::cancel()
{
    m_inner.cancel();
}

void ReportingShell::endWaits()
{
    m_inner.endWaits();
}

void ReportingShell::setWaitObserver(WaitObserver observer)
{
    m_inner.setWaitObserver(std::move(observer));
}

} // namespace quorvane
