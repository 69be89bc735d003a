// Exit asked for from outside the window: what OrderlyExit needs of it.
#include "app/RealServices.h"
#include "app/frmMain.h"
#include "ccase/Shell.h"
#include "ui/frmWorking.h"

#include <QApplication>

namespace quorvane {

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

} // namespace quorvane
