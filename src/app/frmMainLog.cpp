// The command log: its writers around the access layer, and its window.
#include "app/frmMain.h"
#include "ccase/CommandLog.h"
#include "ccase/LoggingClearTool.h"
#include "ccase/LoggingShell.h"
#include "ui/frmCommandLog.h"

#include <QAction>
#include <QToolButton>

namespace quorvane {

void frmMain::installCommandLog()
{
    m_givenServices = m_services;
    m_commandLog = std::make_unique<CommandLog>();
    if (m_services.clearTool) {
        m_loggedClearTool = std::make_unique<LoggingClearTool>(*m_services.clearTool, *m_commandLog);
        m_services.clearTool = m_loggedClearTool.get();
    }
    if (m_services.shell) {
        m_loggedShell = std::make_unique<LoggingShell>(*m_services.shell, *m_commandLog);
        m_services.shell = m_loggedShell.get();
    }
}

QWidget *frmMain::commandLogButton(QWidget *parent)
{
    // On the window, not in a menu: the menus stay as administrators know them.
    auto *show = new QAction(QStringLiteral("Command Log"), this);
    show->setObjectName(QStringLiteral("commandLogAction"));
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    show->setShortcutContext(Qt::WindowShortcut);
    show->setToolTip(
        QStringLiteral("Every cleartool command, process and results file of this run (Ctrl+L)"));
    addAction(show);
    connect(show, &QAction::triggered, this, &frmMain::showCommandLog);

    auto *button = new QToolButton(parent);
    button->setObjectName(QStringLiteral("commandLogBut"));
    button->setDefaultAction(show);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void frmMain::showCommandLog()
{
    if (!m_commandLogForm)
        m_commandLogForm = new frmCommandLog(*m_commandLog, this);
    m_commandLogForm->show();
    m_commandLogForm->raise();
    m_commandLogForm->activateWindow();
}

} // namespace quorvane
