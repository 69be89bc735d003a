// The window's end: Exit asked for from outside it (what OrderlyExit needs
// of it), a close that waits for the running action, and the working
// dialog's Cancel of the command waited for.
#include "app/RealServices.h"
#include "app/frmMain.h"
#include "ccase/ClearTool.h"
#include "ccase/Shell.h"
#include "ui/EventPump.h"
#include "ui/InputGate.h"
#include "ui/frmCommandLog.h"
#include "ui/frmDetail.h"
#include "ui/frmWorking.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QTimer>

#include <utility>

namespace quorvane {

namespace {
QString closingText()
{
    return QStringLiteral("The window closes once the running command has ended.");
}
} // namespace


OrderlyExit::Window frmMain::orderlyExitHooks()
{
    OrderlyExit::Window hooks;
    hooks.exit = [this] { closeAllForms(); };
    hooks.busy = [this] { return m_guard.running(); };
    hooks.runningCommand = [this] { return m_waitingFor; };
    hooks.stopWaiting = [this] {
        if (m_services.shell)
            m_services.shell->endWaits();
    };
    hooks.unattended = [this](std::function<void(const QString &)> report) {
        if (m_ownedServices)
            m_ownedServices->setUnattended(std::move(report));
        // A modal window (About, Getting Help) runs its own loop on top of
        // the action's wait, which cannot go on until it closes. Not the
        // working dialog: closing it asks to cancel the running command.
        for (int tries = 0; tries < 16; ++tries) {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal == m_working)
                break;
            modal->close();
            if (modal->isVisible())
                break;
        }
    };
    return hooks;
}

void frmMain::sessionEndsNow()
{
    if (m_ownedServices)
        m_ownedServices->removeWorkFolder();
}

void frmMain::cancelWait()
{
    // A cleartool command asked for inside a process's wait ends first.
    if (m_clearToolWaiting && m_services.clearTool)
        m_services.clearTool->cancel();
    else if (m_processWaiting && m_services.shell)
        m_services.shell->cancel();
}

void frmMain::waitChanged(bool clearTool, bool waiting, const QString &commandLine)
{
    (clearTool ? m_clearToolWaiting : m_processWaiting) = waiting;
    if (!clearTool)
        m_waitingFor = waiting ? commandLine : QString();
    frmWorking *dialog = workingDialog();
    const bool cancellable = m_clearToolWaiting || m_processWaiting;
    dialog->setCancellable(cancellable);
    // Held only while offered: even a disabled action's key would take Esc
    // from the window's other windows and controls.
    if (m_cancelWait)
        m_cancelWait->setShortcut(cancellable ? QKeySequence(Qt::Key_Escape) : QKeySequence());
    // A cleartool command lets input through its wait only for Cancel: an
    // action started there would send its commands into this one's.
    if (clearTool)
        m_inputGate->openOnlyTo(waiting ? dialog : nullptr);
    if (waiting && !dialog->isVisible()) {
        // A fix or a replica's details shows no dialog of its own;
        // Cancel must be within reach all the same.
        m_workingShownForWait = true;
        dialog->setMsg(m_closePending ? closingText() : QStringLiteral("Running ") + commandLine);
    } else if (!cancellable && std::exchange(m_workingShownForWait, false)) {
        hideWorking();
    }
}

frmWorking *frmMain::workingDialog()
{
    if (!m_working) {
        m_working = new frmWorking(m_services.aniCursorDir, this);
        m_framePacer->watch(m_working);
        connect(m_working, &frmWorking::cancelRequested, this, &frmMain::cancelWait);
    }
    return m_working;
}

void frmMain::closeAllForms()
{
    if (m_shutdownDone)
        return;
    if (m_guard.running()) {
        closeWhenIdle();
        return;
    }
    m_shutdownDone = true;
    if (m_working)
        m_working->hide(); // closing it would ask to cancel
    if (m_detail)
        m_detail->close();
    if (m_commandLogForm)
        m_commandLogForm->close();
    close();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Closing now would leave every event loop: the running multitool would
    // be killed half-way and the action's next command killed at its start.
    if (m_guard.running() && !m_shutdownDone) {
        closeWhenIdle();
        event->ignore();
        return;
    }
    closeAllForms();
    event->accept();
}

void frmMain::closeWhenIdle()
{
    if (!m_closePending) {
        m_closePending = true;
        // Queued: the action's scope is still ending when the guard is free.
        m_guard.setOnFree([this] { QTimer::singleShot(0, this, &frmMain::closeAllForms); });
    }
    workingDialog()->setMsg(closingText());
}

} // namespace quorvane
